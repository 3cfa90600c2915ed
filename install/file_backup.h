// Moving a file aside before it is replaced, and back when the replacement fails. Another
// process may hold the file for a moment: every step waits for it a bounded time.
#pragma once

// How often and how long a step waits: at most 20 tries, 500 ms apart.
constexpr int kFileWaitTries = 20;
constexpr unsigned kFileWaitMs = 500;

// Empties backup (a file of the run's work folder), then moves path there. Files on another
// volume are copied and deleted. 1, or 0 when either step still fails after the last try (the
// file at path is then where it was).
int MoveAside(const char* path, const char* backup);
// Deletes whatever stands at path and moves backup back there. 1 or 0.
int MoveBack(const char* path, const char* backup);
