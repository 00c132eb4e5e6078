#pragma once
// The file type filters of the file dialogs ("Text Files(*.csv)|*.csv" pairs
// of caption and pattern, or Qt's "PDF Files (*.pdf);;..."), and the one rule
// by which a name typed into a save dialog gets its extension.

#include <QString>

namespace ui {

// The extension ("csv") of entry `index` (from 1) of `filter` when that
// entry is one pattern of one extension ("*.csv"); empty for "*.*", for an
// entry of several patterns and for an entry that is not there.
QString FilterExtension(const QString& filter, int index);

// A name chosen in a save dialog whose file name has no extension takes the
// extension of the filter entry chosen at first ("labdayA" under
// "Text Files(*.csv)|*.csv" is "labdayA.csv"; a name ending in a point takes
// the extension after it); any other name, a folder's, and every name under
// a filter without one extension, is left as typed.
QString WithFilterExtension(const QString& path, const QString& filter, int index);

}  // namespace ui
