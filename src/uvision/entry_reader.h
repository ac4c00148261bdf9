#pragma once
// Reads a setup-script entry's key and fields left to right, stopping at the first that is missing.
#include <string>

#include "app/setup_dlg.h"
#include "uvision/entry_number.h"

class EntryReader {
  public:
    EntryReader(const CSetupDlg& dlg, const std::string& line) : dlg_(dlg), line_(line) {}

    bool Key(std::string& key) { return Fetch(1, 0, 0, key); }
    bool Text(int field, char quote, std::string& text) { return Fetch(0, field, quote, text); }
    bool Number(int field, int& number) {
        std::string text;
        if (!Fetch(0, field, 0, text)) return false;
        number = EntryNumber(text);
        return true;
    }

  private:
    bool Fetch(int wantKey, int field, char quote, std::string& text) const {
        return dlg_.GetEntryField(line_, text, wantKey, field, quote) == 0;
    }

    const CSetupDlg& dlg_;
    const std::string& line_;
};
