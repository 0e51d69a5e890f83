#include "WindowModel.h"

#include "support/BagPrompts.h"
#include "support/FakePrompter.h"

namespace {

const QString liveFileName = QStringLiteral("palace.prp");
const QString bagExtension = QStringLiteral(".prp");

// A typed name that holds a separator cannot be one file in the program directory: its copy fails.
bool formsOneFileName(const QString& typed) {
    return !typed.contains(QLatin1Char('/')) && (typed + bagExtension).toUtf8().size() <= 255;
}

} // namespace

QList<ExpectedPrompt> WindowModel::apply(const Step& step) {
    prompts_.clear();
    const bool deletes = step.action == Action::MenuDelete || step.action == Action::DeleteKey;
    meddledKept = !step.meddle                  ? QString()
                  : step.action == Action::Load ? liveFileName
                  : deletes                     ? selfile
                                                : QString();
    Availability& c = controls;
    switch (step.action) {
    case Action::Select:
        c.load = c.save = c.del = c.ren = true;
        selfile = highlighted = step.name;
        break;
    case Action::Background:
        c.load = false;
        c.save = true;
        c.del = c.ren = false;
        refresh();
        break;
    case Action::Save:
        if (!c.save)
            break;
        if (clientRunning) {
            message(clientRunningRefusal, Pressed::Ok);
            break;
        }
        c.load = false;
        c.list = false;
        fsave(step);
        c.list = true;
        break;
    case Action::Load:
        if (!c.load)
            break;
        if (clientRunning) {
            message(clientRunningRefusal, Pressed::Ok);
            break;
        }
        if (dsr) {
            loadCopy(step);
            break;
        }
        message(loadQuestion, step.saveFirst ? Pressed::Yes : Pressed::No);
        if (step.saveFirst)
            fsave(step);
        message(finalLoadQuestion(selfile), step.confirm ? Pressed::Ok : Pressed::Cancel);
        if (step.confirm && loadCopy(step))
            message(loadDone(selfile), Pressed::Ok);
        break;
    case Action::MenuDelete:
    case Action::DeleteKey:
        // Away from the list Del is only the menu's shortcut, which a modifier changes into another key.
        if (!c.del ||
            (step.action == Action::DeleteKey && step.awayFromList && step.modifiers != Qt::NoModifier))
            break;
        if (!dsr) {
            message(deleteQuestion(selfile), step.confirm ? Pressed::Yes : Pressed::No);
            if (!step.confirm)
                break;
        }
        if (!bags.contains(selfile)) {
            report(QStringLiteral("Delete Error"), 16, selfile);
            break;
        }
        if (!mayLose(selfile, step))
            break;
        if (trashRefuses(step)) {
            report(QStringLiteral("Delete Error"), 16, selfile);
            break;
        }
        bags.remove(selfile);
        meddledKept.clear();
        refresh();
        c.load = false;
        c.save = true;
        c.del = false;
        break;
    case Action::Rename: {
        if (!c.ren)
            break;
        input(askNewBagName, step.typed);
        const QString target = step.typed + bagExtension;
        if (target == selfile && bags.contains(selfile)) // the bag's own name: nothing to change
            break;
        if (step.typed.isEmpty()) {
            message(renameNoNameError, Pressed::Ok);
        } else if (!bags.contains(selfile)) {
            report(QStringLiteral("Rename Error"), 16, selfile);
            break;
        } else if (!formsOneFileName(step.typed)) {
            report(QStringLiteral("Rename Error"), 16, target);
            break;
        } else {
            if (bags.contains(target) && !mayLose(target, step))
                break;
            bags[target] = bags.take(selfile);
        }
        refresh();
        c.load = false;
        c.save = true;
        c.ren = false;
        break;
    }
    case Action::MenuSafety:
    case Action::SafetyKey:
        dsr = !dsr;
        break;
    case Action::StartPalace:
        if (!dsr) {
            message(startQuestion, step.confirm ? Pressed::Yes : Pressed::No);
            if (!step.confirm)
                break;
        }
        ++starts;
        if (step.startFails)
            message(palaceFilesError, Pressed::Ok);
        break;
    case Action::About:
        report(QStringLiteral("About STX"), 0, QStringLiteral("Stowbox V1.02 "));
        break;
    case Action::ClientToggle:
        clientRunning = !clientRunning;
        break;
    case Action::BagAppears:
        bags[step.name] = step.typed.toUtf8();
        break;
    case Action::BagVanishes:
        bags.remove(step.name);
        break;
    case Action::Restore: {
        // Into palace.prp (the copy refuses while the client runs), or a bag: the list is out of date.
        const bool intoLive = step.name.isEmpty() && step.typed.isEmpty();
        if (step.version.isNull() || (intoLive && clientRunning))
            break;
        (intoLive ? live : bags[step.typed.isEmpty() ? step.name : step.typed + bagExtension]) = step.version;
        break;
    }
    }
    return prompts_;
}

void WindowModel::refresh() {
    shown = bags.keys();
    highlighted.clear();
}

// Save is unavailable while the name is asked, and stays so when the copy fails; the list is
// re-read only when no copy failed.
void WindowModel::fsave(const Step& step) {
    controls.save = false;
    input(askBagName, step.typed);
    if (!step.typed.isEmpty()) {
        if (step.wrongPath || !formsOneFileName(step.typed)) {
            message(palaceFilesError, Pressed::Ok);
            return;
        }
        const QString target = step.typed + bagExtension;
        if (bags.contains(target) && !mayLose(target, step))
            return; // a failed save that says nothing more
        bags[target] = live;
    }
    refresh();
    controls.save = true;
}

// The source is opened first, so a bag that is gone is reported before an unusable destination.
bool WindowModel::loadCopy(const Step& step) {
    if (!bags.contains(selfile)) {
        report(QStringLiteral("Load Error"), 16, selfile);
        return false;
    }
    if (step.wrongPath) {
        report(QStringLiteral("Load Error"), 16, liveFileName);
        return false;
    }
    if (!mayLose(liveFileName, step))
        return false;
    if (trashRefuses(step)) {
        report(QStringLiteral("Load Error"), 16, liveFileName);
        return false;
    }
    live = bags.value(selfile);
    meddledKept.clear();
    ++loads;
    return true;
}

// A file that no trash can take is lost only when the user agrees, whatever the safety switch.
bool WindowModel::mayLose(const QString& file, const Step& step) {
    if (trashTakes)
        return true;
    prompts_.append({false,
                     {},
                     QStringLiteral("Delete Permanently"),
                     308,
                     file + QStringLiteral(" cannot be moved to the trash: "),
                     controls,
                     step.permanent ? Pressed::Yes : Pressed::No,
                     {}});
    return step.permanent;
}

// A copy into the trash of a file that another program keeps writing to is refused, and fails the step.
bool WindowModel::trashRefuses(const Step& step) {
    return trashTakes && trashCopies && step.meddle;
}

void WindowModel::message(const QString& line, int answer) {
    prompts_.append({false, line, {}, 0, {}, controls, answer, {}});
}

void WindowModel::report(const QString& title, int style, const QString& names) {
    prompts_.append({false, {}, title, style, names, controls, Pressed::Ok, {}});
}

void WindowModel::input(const QString& line, const QString& typed) {
    prompts_.append({true, line, {}, 0, {}, controls, 0, typed});
}
