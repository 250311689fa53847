#pragma once

#include <QString>

// Cutting names for the file system, between characters the user sees.
namespace NameText {

// The most bytes Linux file systems hold in one file name.
constexpr qsizetype kNameMax = 255;

// The first n user-perceived characters (grapheme clusters) of text.
QString firstCharacters(const QString& text, int n);

// The bytes text takes as a file name: UTF-8, with half a surrogate pair
// counted as the three bytes of the replacement character it becomes.
qsizetype fileBytes(const QString& text);

// The longest start of text that takes at most maxBytes as a file name, cut
// between user-perceived characters; between code points only when not even
// the first character fits. Never splits a surrogate pair.
QString fitBytes(const QString& text, qsizetype maxBytes);

}  // namespace NameText
