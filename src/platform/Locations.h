#pragma once

#include <QString>

namespace vantuke {

// Where the program and the user's files are. Every folder is returned with a trailing "/".

// The folder of the running executable.
QString ProgramDir();
// The folder the program was started in; empty when it is gone (removed meanwhile).
QString WorkingDir();
// The user's home folder: $HOME, or the account's home when HOME is unset or relative.
QString HomeDir();
// Per-user configuration: $XDG_CONFIG_HOME, or ~/.config when it is unset, empty or relative.
QString ConfigHome();
// Per-user state kept between runs: $XDG_STATE_HOME, or ~/.local/state likewise.
QString StateHome();

// True when dir is a folder in which this user may create files: the system grants write
// access (for root: the folder is not on a read-only mount).
bool IsWritableFolder(const QString& dir);
// Creates dir and any missing folders above it, new ones readable by the user alone.
// Throws IoError naming dir.
void MakeFolders(const QString& dir);
// MakeFolders, then makes dir itself readable, writable and searchable by the user alone
// (mode 0700), also when it existed before with a wider mode. Throws IoError naming dir.
void MakePrivateFolder(const QString& dir);

} // namespace vantuke
