// Creating folders level by level, and a private temporary folder (Windows paths).
#pragma once

// Creates every missing folder of path, then, if name is not null, the folder name inside it.
// 1, or 0 on failure (folders created before the failure remain).
int CreateFolderPath(const char* path, const char* name);
// Makes a new, empty folder under the user's temporary folder (folder: 260 bytes) and checks
// that a file can be made in it, using file (fileSize bytes) as scratch. 1 or 0.
int CreateTempFolder(char* folder, char* file, unsigned fileSize);
