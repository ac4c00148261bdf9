// Message texts of the µVision integration that the command line also reads its outcome from.
#pragma once

inline constexpr char kInstalledMessage[] = "Database is installed successfully !";
inline constexpr char kUninstalledMessage[] = "Database is un-installed successfully !";
inline constexpr char kParsingErrorMessage[] = "Parsing ini file error !";
