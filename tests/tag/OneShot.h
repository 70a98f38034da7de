#pragma once

// The one-shot operations on a file opened for them, as a run makes them.
#include "tag/TagFile.h"

namespace tagtest {

inline bool HasTag(const QString& path) {
    return vantuke::DiskTagFile(path, vantuke::OpenMode::Read).HasTag();
}

inline void ReadTag(const QString& path, vantuke::TTagRecord& record) {
    vantuke::DiskTagFile(path, vantuke::OpenMode::Read).ReadTag(record);
}

inline void WriteTag(const QString& path, const vantuke::TTagRecord& record) {
    vantuke::DiskTagFile file(path, vantuke::OpenMode::Change);
    file.WriteTag(record);
    file.Close();
}

inline bool RemoveTag(const QString& path) {
    vantuke::DiskTagFile file(path, vantuke::OpenMode::Change);
    const bool removed = file.RemoveTag();
    file.Close();
    return removed;
}

} // namespace tagtest
