// Whether a destination the script names stays in the Keil tree. The script's target is joined to the Keil
// root as plain text, so a ".." in it could reach any file of the machine; an install only ever writes below
// the root (or into a name that merely extends the root's own, as a target without its leading backslash
// gives: C:\Keil + BIN\X.DLL = C:\KeilBIN\X.DLL).
#pragma once

#include <string>

// base: the Keil root. appended: the text joined to it (generation folder piece and target). False when,
// taken folder by folder, the appended text climbs above the level of the root's own name.
bool StaysInKeilTree(const std::string& base, const std::string& appended);
