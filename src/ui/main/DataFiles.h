#pragma once

#include <QString>

// Where the program's own files (help, document template) are found. Beside
// the program comes first, so a copied program folder keeps working; an
// installed program keeps them in ../share/kelvatron relative to itself.
namespace DataFiles {

// The full path of `fileName` for the program at `programPath`: the first
// place that holds it, or the place beside the program when none does, so a
// message about a missing file names where it is expected.
QString locate(const QString& programPath, const QString& fileName);

// The installed data folder for the program at `programPath`.
QString installedFolder(const QString& programPath);

// Where the file dialogs start: the program's folder, as on a copied program
// folder; an installed program's folder is the system's and takes no files, so
// its dialogs start in the user's documents folder.
QString dialogFolder(const QString& programPath);

} // namespace DataFiles
