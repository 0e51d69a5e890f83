#pragma once

#include "platform/StepResult.h"

#include <QByteArray>

// The .trashinfo file beside each entry of a trash: "[Trash Info]", Path= (percent-encoded as in URLs,
// slashes kept) and DeletionDate= (local time, to the second). Ours carry a comment that says so, which no
// reader of the trash looks at, so that the clean-up of a killed copy can tell its own half entries from
// another program's that are being written.
namespace TrashInfo {

inline const QByteArray suffix = ".trashinfo";

struct Fields {
    QByteArray path;         // decoded, as recorded: absolute, or relative to the top of the trash's mount
    QByteArray deletionDate; // as written, "YYYY-MM-DDThh:mm:ss"
    bool ours = false;
};

QByteArray text(const QByteArray& recordedPath);
// Fails as NotThere for a text that holds no Path=.
StepValue<Fields> parse(const QByteArray& text);

} // namespace TrashInfo
