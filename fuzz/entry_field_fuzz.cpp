// GetEntryField over any line, field index and quote character, in code pages with and without double-byte
// characters. Input: byte 0 wantKey, byte 1 fieldIndex (both signed), byte 2 the quote character, byte 3 the
// code page, then the line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_dialog.h"
#include "support/machine.h"

namespace {

constexpr char kUntouched[] = "\x01untouched\x02";

// Whether item stands in line from one character boundary to another: the key and the fields are the line's
// own text, less blanks and quotes at their ends, so they never begin or end inside a double-byte character.
bool WholeCharactersOf(const platform::CodePage& cp, const std::string& line, const std::string& item) {
    std::vector<bool> boundary(line.size() + 1, false);
    for (std::size_t pos = 0; pos < line.size(); pos += cp.CharWidth(line, pos)) boundary[pos] = true;
    boundary[line.size()] = true;
    for (std::size_t at = line.find(item); at != std::string::npos; at = line.find(item, at + 1)) {
        if (boundary[at] && boundary[at + item.size()]) return true;
    }
    return false;
}

// Properties of any request: the result, what happens to out, and that a delivered item never holds a
// separator or loose blanks.
void CheckRequest(const CSetupDlg& dlg, const platform::CodePage& cp, const std::string& line, int wantKey,
                  int fieldIndex, char quote) {
    std::string out = kUntouched;
    const int result = dlg.GetEntryField(line, out, wantKey, fieldIndex, quote);
    FuzzCheck(result == 0 || result == -1, "a result other than 0 and -1");
    if (result == -1) {
        // Only a field too short for its quotes is left in out.
        const bool fieldTaken = wantKey != 1 && quote != 0 && out != kUntouched;
        FuzzCheck(out == kUntouched || (fieldTaken && out.size() <= 2 && out == cp.Trim(out)),
                  "out changed by a failed request");
        return;
    }
    if (wantKey == 1) {
        FuzzCheck(cp.Find(out, '=') == std::string::npos, "a key holds an equals sign");
        if (quote == 0)
            FuzzCheck(out == cp.Trim(out) && !out.empty(), "a key with blanks at an end, or empty");
    } else {
        FuzzCheck(cp.Find(out, ',') == std::string::npos, "a field holds a comma");
        FuzzCheck(out == cp.Trim(out), "a field with blanks at an end");
    }
    FuzzCheck(WholeCharactersOf(cp, line, out), "an item cut inside a double-byte character");
}

// A line built from a key and fields gives them back, one by one, and nothing beyond the last.
void CheckRoundTrip(const CSetupDlg& dlg, const platform::CodePage& cp, const std::string& text) {
    if (cp.Number() != platform::CodePage::kUtf8) return;  // no double-byte characters to straddle a comma
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == ',') {
            parts.push_back(part);
            part.clear();
        } else if (c != '=') {
            part += c;
        }
    }
    parts.push_back(part);
    const std::string key = cp.Trim(parts[0]);
    // Every field fetched is a scan from the line's start: beyond a few dozen fields the round trip would
    // spend the run on repeating what shorter lines show.
    constexpr std::size_t kMostFields = 32;
    if (key.empty() || parts.size() < 2 || parts.size() > kMostFields + 1) return;

    std::string line = parts[0] + "=";
    std::vector<std::string> fields(parts.begin() + 1, parts.end());
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? "" : ",") + fields[i];
    // One comma at the very end is not a separator: a last field of nothing at all goes with it.
    std::string body = line.substr(line.find('=') + 1);
    if (fields.size() > 1 && fields.back().empty()) {
        fields.pop_back();
        body.pop_back();
    }
    const bool noFields = cp.Trim(body).empty();  // "K=" has no field at all

    std::string out;
    FuzzCheck(dlg.GetEntryField(line, out, 1, 0, 0) == 0 && out == key, "round trip: the key");
    for (std::size_t i = 0; i < fields.size() && !noFields; ++i) {
        FuzzCheck(
            dlg.GetEntryField(line, out, 0, static_cast<int>(i) + 1, 0) == 0 && out == cp.Trim(fields[i]),
            "round trip: field " + std::to_string(i + 1));
    }
    const int beyond = noFields ? 1 : static_cast<int>(fields.size()) + 1;
    FuzzCheck(dlg.GetEntryField(line, out, 0, beyond, 0) == -1, "round trip: a field beyond the last");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const int wantKey = static_cast<std::int8_t>(data[0]);
    const int fieldIndex = static_cast<std::int8_t>(data[1]);
    const char quote = static_cast<char>(data[2]);
    const std::string line(reinterpret_cast<const char*>(data) + 4, size - 4);

    static const auto files = MakeMachineFileSystem();  // the parser touches no file
    FuzzDialog fixture(*files, CodePageNumber(data[3]));
    const platform::CodePage& cp = fixture.codePage;
    CheckRequest(fixture.dlg, cp, line, wantKey, fieldIndex, quote);
    // The requests the handlers make, with the line as it stands.
    for (int field = 1; field <= 6; ++field) {
        CheckRequest(fixture.dlg, cp, line, 0, field, 0);
        CheckRequest(fixture.dlg, cp, line, 0, field, '"');
    }
    CheckRequest(fixture.dlg, cp, line, 1, 0, 0);
    CheckRoundTrip(fixture.dlg, cp, line);
    return 0;
}
