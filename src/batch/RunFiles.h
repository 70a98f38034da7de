#pragma once

#include "journal/JournalFiles.h"
#include "tag/FileSystem.h"
#include "tag/PlanningFileSystem.h"

#include <QtGlobal>

namespace vantuke {

class PlaylistWriter;

// How much of a run one chunk plans at most, before it is recorded, made and shown.
struct ChunkLimits {
    // Planned changes: each keeps its file open until it is made.
    int changes = 1000;
    // How long the lines of its first entry wait at most, so that the status box moves on.
    qint64 msec = 250;
    // Entries, whatever their changes: their lines and plan items wait in memory.
    int entries = 4096;
};

// What a run works on (RealRun and RecordBatch put it together):
// - a run without history makes each change at once on the disk (atOnce);
// - a run with history plans chunks of entries on a model (planning, Opening::Lock), records
//   each chunk in the journal and makes it on the disk; an entry that cannot be made from a
//   plan runs at once on the journal's files (atOnce), each change recorded on its own;
// - a dry run plans on a model (Opening::Look) and makes nothing.
struct RunFiles {
    // Where an entry that runs at once makes each change as its step makes it; null in a dry
    // run.
    FileSystem* atOnce = nullptr;
    // Where the entries are planned, chunk by chunk; null when every entry runs at once.
    PlanningFileSystem* planning = nullptr;
    // Records each planned chunk before it is made on disk; null when nothing is made.
    JournalFiles* journal = nullptr;
    FileSystem* disk = nullptr;
    ChunkLimits limits;
    // Where the playlists that list renamed files are replaced; null: on the disk.
    PlaylistWriter* playlists = nullptr;
};

} // namespace vantuke
