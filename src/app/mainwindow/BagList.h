#pragma once

#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "props/BagName.h"

#include <QListView>
#include <QString>
#include <QTimer>
#include <functional>

class BagRows;
class BagStore;

// The saved-bag list: names of the "*.prp" files of the program directory, re-read on demand. Each entry
// keeps its file's exact name, which two entries may show alike. Like a list box, it has at most one selected
// entry, and the entry with the cursor is always the selected one. The bags that hold the live file's bytes
// are marked.
class BagList : public QListView {
    Q_OBJECT

public:
    // Where the live file is now; where none can be told, no bag is marked.
    using LiveFileSource = std::function<StepValue<FilePlace>()>;

    BagList(BagStore& bags, LiveFileSource liveFile, QWidget* parent = nullptr);

    // Re-reads the directory and marks its bags anew; no entry is selected afterwards. A directory that
    // cannot be read lists what was read before the failure.
    StepResult refresh();
    // Marks the listed bags against the live file. Nothing is looked at before the handler that asks has
    // ended: then the live file's place is asked for and the bags are looked at a slice at a time while the
    // window takes its events, so that the list shows at once and a large folder costs its listing only.
    void markLoaded();
    // The selected entry's name as shown, or the empty string when none is selected.
    QString selectedName() const;
    // The selected entry's bag; an empty name when none is selected.
    BagName selectedBag() const;

signals:
    // An entry was selected, by the mouse or the keyboard, or clicked again while selected.
    void entrySelected();
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class Form1Probe; // the tests wait for the marks

    int selectedRow() const; // -1 when none
    void markSlice();

    BagStore& bags_;
    BagRows* rows_;
    LiveFileSource liveFile_;
    FilePlace marking_;        // the live file the bags are held against
    qsizetype nextMarked_ = 0; // the first row not yet looked at
    QTimer marker_;            // runs while rows are left
};
