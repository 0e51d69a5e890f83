#pragma once

#include "platform/files/FileSystem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <functional>

// The names of one directory's regular files that pass a filter, read in one pass. The file type comes
// from the directory entry itself; a stat is made only where the entry does not tell (an unknown type, or
// a link to be followed), and only for names that pass the filter, so that large directories list fast.
namespace RegularFileNames {
enum class Links { Follow, Skip };
// Given the entry's own bytes, without a copy: it must not keep them.
using NameFilter = bool (*)(const QByteArray& name);
// Given each name that passes; the bytes last only for the call.
using NameSink = std::function<void(QByteArrayView name)>;

// 0, or the errno that kept the directory from being read.
int visit(FileSystem& fs, const QByteArray& directory, NameFilter wanted, Links links, const NameSink& found);
int list(FileSystem& fs, const QByteArray& directory, NameFilter wanted, Links links,
         QList<QByteArray>& names);
} // namespace RegularFileNames
