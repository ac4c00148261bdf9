#include "uvision/keil_tree_path.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A name of dots and blanks only, with two dots or more, climbs: ".." does everywhere, and Windows drops
// trailing dots and blanks from a name, so "... " or ". ." may end up as "..". One dot, or blanks, stay.
int LevelChange(const std::string& name) {
    int dots = 0;
    for (char c : name) {
        if (c == '.') {
            ++dots;
        } else if (c != ' ') {
            return 1;
        }
    }
    return dots >= 2 ? -1 : 0;
}

}  // namespace

bool StaysInKeilTree(const std::string& base, const std::string& appended) {
    // Names are cut at every separator byte, also one that is the trail byte of a double-byte character:
    // the POSIX backend takes each for a separator, and counting too many names only refuses more.
    std::size_t start = 0;
    int level = 0;
    // Text that does not begin with a separator only lengthens the base's own last name.
    if (!base.empty() && !IsSeparator(base.back())) {
        while (start < appended.size() && !IsSeparator(appended[start])) ++start;
    }
    while (start < appended.size()) {
        std::size_t end = start;
        while (end < appended.size() && !IsSeparator(appended[end])) ++end;
        level += LevelChange(appended.substr(start, end - start));
        if (level < 0) return false;
        start = end + 1;
    }
    return true;
}
