// Names that come from data (package records, install logs) before they become part of a
// path. Such a name must be exactly one component that stays inside its folder and that
// Windows creates under that very name; anything else is damaged data.
#pragma once

enum NameProblem {
    NAME_SAFE = 0,
    NAME_EMPTY,
    NAME_DOTS,                   // "." or "..": the folder itself or its parent
    NAME_SEPARATOR,              // "\", "/" or ":": a path, a drive or a stream, not a name
    NAME_INVALID_CHARACTER,      // a control character or < > " | ? *, refused by Windows
    NAME_TRAILING_DOT_OR_SPACE,  // dropped by Windows, so another name would be made
    NAME_DEVICE,                 // CON, NUL, COM1, ... even with an extension: a device
};

// What is wrong with name as one path component, or NAME_SAFE. Text in the system code page:
// double-byte characters are stepped over, so a trail byte such as the 5C of 表 never counts
// as a separator.
NameProblem PathNameProblem(const char* name);
// 1 when name is safe as one path component, else 0.
int IsSafePathName(const char* name);
// 1 when Windows takes name for a device: CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, CONIN$
// or CONOUT$, in any letter case, with or without blanks and an extension behind it.
int IsDeviceName(const char* name);
