#pragma once

#include <QString>

// An export is written beside its final name under a hidden temporary one and
// renamed once complete, so that a file manager, an uploader or a sync client
// never meets a half-written clip under a finished clip's name. Every
// temporary is listed in a small file in the program's data folder while it
// exists; one a crash left behind is removed at the next launch, and only if
// it is still listed there and still carries the temporary's form of name.
namespace CWPartFile {

// A new temporary beside final: ".<final name>.cutwright-<8 hex>.part".
QString beside(const QString& final);
// Whether a file name has the temporary's form.
bool isPartName(const QString& fileName);

// Lists the temporary before anything writes it; discard() removes it from
// disk and from the list.
void remember(const QString& part);
void discard(const QString& part);

// Moves the finished temporary to final without ever replacing a file: when
// final was taken meanwhile, the next free " 2", " 3", … name is used.
// Returns the path written. Throws MWError when the move fails (the
// temporary is then discarded).
QString commit(const QString& part, const QString& final);

// Removes the temporaries an earlier run listed and left behind; called once
// at launch, when no export of this user's can be running.
void sweepLeftovers();

// The list's file (for tests).
QString listPath();

}  // namespace CWPartFile
