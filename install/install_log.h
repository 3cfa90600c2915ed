// The install log and the run log: two trees keyed by real paths (a drive, then one key per
// folder; registry items under their two-letter root code), in which every installed item is an
// entry with data whose last four bytes count how often it was recorded. The install log counts
// from 1 (raised by every re-install); the run log keeps only this run's additions, each with
// the count 0, so that a rollback removes exactly them.
#pragma once

#include <cstdint>

class ClTree;
struct ClTreeNode;
struct ClTreeNodeInfo;

// The last key of a "\"-separated path below start (null: from the top level), found or created.
// A "\" that is the trail byte of a double-byte character (表, ソ, 能) separates nothing. Missing
// keys are made from keyTemplate (its flags and data block; null: keys without data); keys that
// exist stay as they are. Null when memory runs out or the path is empty.
ClTreeNode* LogCreateChain(ClTree* log, ClTreeNode* start, const char* path,
                           const ClTreeNodeInfo* keyTemplate);

// The entry named name below key: a child of the kind (TN_KEY or 0) that carries data (keys
// that only complete a path carry none). Names compare ignoring ASCII case. Null if none.
ClTreeNode* LogFindEntry(ClTreeNode* key, const char* name, std::uint8_t kind);

// The entry's count (its data's last four bytes), or null for a node without a count.
std::uint32_t* LogCount(ClTreeNode* entry);

// One entry as made in both logs.
struct SLogPair {
    ClTreeNode* log;
    ClTreeNode* run;
};

// Adds an entry named name with a copy of data (length bytes, a four-byte spare tail behind)
// below logKey of log with the count 1, and below runKey of runLog with the count 0 and the
// delete-at-restart flag cleared. kind is TN_KEY for a folder or registry key, else 0. 1, or 0
// when memory runs out (nothing is left added).
int LogAddEntry(ClTree* log, ClTreeNode* logKey, ClTree* runLog, ClTreeNode* runKey,
                const char* name, const std::uint8_t* data, std::uint32_t length, std::uint8_t kind,
                SLogPair* added);
// Deletes the entries LogAddEntry made.
void LogRemoveEntry(ClTree* log, ClTree* runLog, const SLogPair* added);

// What this run did to the file or folder of a run-log entry, beyond recording it, so that a
// rollback takes back exactly that. Kept in the entry's spare tail, which no log file holds:
// loaded and earlier entries carry no marks.
constexpr std::uint8_t RUN_CREATED = 0x01;        // nothing stood there before the run made it
constexpr std::uint8_t RUN_RAISED_SHARED = 0x02;  // the run raised its SharedDLLs count
// Adds marks to a run-log entry made by LogAddEntry.
void LogMarkRun(ClTreeNode* runEntry, std::uint8_t marks);
// The marks of an entry; 0 for one without a spare tail.
std::uint8_t LogRunMarks(const ClTreeNode* entry);

// The keys of one folder path in both logs.
struct SLogKeys {
    ClTreeNode* log;
    ClTreeNode* run;
};
// LogCreateChain of path in the install log and in the run log. 1, or 0 when memory runs out.
int LogChainPair(ClTree* log, ClTree* runLog, const char* path, const ClTreeNodeInfo* keyTemplate,
                 SLogKeys* keys);

// How an item was recorded, so that a failed action can take it back.
struct SLogRecord {
    ClTreeNode* entry;  // the item's install-log entry
    SLogPair added;     // the new entries, or none when an existing entry was counted
    bool raised;        // an existing entry was counted once more
};
// Records name below keys: an install-log entry of the kind that exists counts once more;
// otherwise LogAddEntry makes it in both logs. 1, or 0 when memory runs out.
int LogRecord(ClTree* log, ClTree* runLog, const SLogKeys& keys, const char* name,
              const std::uint8_t* data, std::uint32_t length, std::uint8_t kind,
              SLogRecord* record);
// Takes a record back: a counted entry counts once less (and stays, since an earlier
// installation recorded it), new entries are deleted.
void LogUnrecord(ClTree* log, ClTree* runLog, SLogRecord* record);
