// Takes one entry line of the setup script apart: key "=" field 1 "," field 2 "," ...
#include "app/setup_dlg.h"

namespace {

// The last character, not merely the last byte: a byte after a lead byte belongs to its double-byte
// character, so that taking it off would cut the character in two.
bool BeginsAndEndsWith(const platform::CodePage& cp, const std::string& text, char quote) {
    return !text.empty() && text.front() == quote && cp.FindLast(text, quote) == text.size() - 1;
}

}  // namespace

int CSetupDlg::GetEntryField(const std::string& line, std::string& out, int wantKey, int fieldIndex,
                             char quoteChar) const {
    const platform::CodePage& cp = m_codePage;
    std::string work = line;
    // One comma at the very end is not a separator; it goes before the blanks do.
    if (!work.empty() && work.back() == ',' && cp.FindLast(work, ',') == work.size() - 1) work.pop_back();
    work = cp.Trim(work);
    if (work.empty()) return -1;

    const std::size_t equals = cp.Find(work, '=');
    if (equals == std::string::npos || equals == 0) return -1;

    if (wantKey == 1) {
        const std::string key = cp.TrimRight(work.substr(0, equals));
        if (quoteChar != 0 && BeginsAndEndsWith(cp, key, quoteChar)) {
            out = key.size() >= 2 ? key.substr(1, key.size() - 2) : std::string();
        } else {
            out = key;
        }
        return 0;
    }

    if (fieldIndex <= 0 || equals == work.size() - 1) return -1;

    // Walk to field number fieldIndex; a field beyond the last one is no field at all.
    std::size_t start = equals + 1;
    for (int n = 1; n < fieldIndex; ++n) {
        const std::size_t comma = cp.Find(work, ',', start);
        if (comma == std::string::npos) return -1;
        start = comma + 1;
    }
    const std::size_t comma = cp.Find(work, ',', start);
    std::string field =
        cp.Trim(work.substr(start, comma == std::string::npos ? std::string::npos : comma - start));

    if (quoteChar != 0) {
        if (field.size() <= 2) {
            out = field;
            return -1;
        }
        if (BeginsAndEndsWith(cp, field, quoteChar)) field = field.substr(1, field.size() - 2);
        field = cp.Trim(field);
    }
    out = field;
    return 0;
}
