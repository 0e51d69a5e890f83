#include "WindowModel.h"

#include "app/Form1Texts.h"
#include "app/MessageCodes.h"
#include "props/BagPaths.h"

namespace {

const QString liveFileName = QStringLiteral("palace.prp");

// A typed name that holds a separator cannot be one file in the program directory: its copy fails.
bool formsOneFileName(const QString& typed) {
    return !typed.contains(QLatin1Char('/'));
}

} // namespace

QList<ExpectedPrompt> WindowModel::apply(const Step& step) {
    prompts_.clear();
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
            message(Form1Texts::clientRunningText, MessageStyle::Critical, Form1Texts::clientRunningTitle);
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
            message(Form1Texts::clientRunningText, MessageStyle::Critical, Form1Texts::clientRunningTitle);
            break;
        }
        if (dsr) {
            loadCopy(step);
            break;
        }
        message(Form1Texts::loadQuestionText, MessageStyle::QuestionYesNo, Form1Texts::loadQuestionTitle,
                step.saveFirst ? Answer::Yes : Answer::No);
        if (step.saveFirst)
            fsave(step);
        message(Form1Texts::finalLoadText(selfile), MessageStyle::CriticalOkCancel,
                Form1Texts::finalLoadTitle, step.confirm ? Answer::Ok : Answer::Cancel);
        if (step.confirm && loadCopy(step))
            message(Form1Texts::loadDoneText(selfile), MessageStyle::Notice, Form1Texts::loadDoneTitle);
        break;
    case Action::MenuDelete:
    case Action::DeleteKey:
        // Away from the list Del is only the menu's shortcut, which a modifier changes into another key.
        if (!c.del ||
            (step.action == Action::DeleteKey && step.awayFromList && step.modifiers != Qt::NoModifier))
            break;
        if (!dsr) {
            message(Form1Texts::deleteText(selfile), MessageStyle::QuestionYesNoNo, Form1Texts::deleteTitle,
                    step.confirm ? Answer::Yes : Answer::No);
            if (!step.confirm)
                break;
        }
        if (!bags.contains(selfile)) {
            failure(Form1Texts::deleteErrorTitle, selfile);
            break;
        }
        bags.remove(selfile);
        refresh();
        c.load = false;
        c.save = true;
        c.del = false;
        break;
    case Action::Rename: {
        if (!c.ren)
            break;
        input(Form1Texts::renameTitle, step.typed);
        const QString target = step.typed + BagPaths::bagExtension;
        if (target == selfile && bags.contains(selfile)) // the bag's own name: nothing to change
            break;
        if (step.typed.isEmpty()) {
            message(Form1Texts::renameErrorText, MessageStyle::Critical, Form1Texts::renameErrorTitle);
        } else if (!bags.contains(selfile)) {
            failure(Form1Texts::renameErrorTitle, selfile);
            break;
        } else if (!formsOneFileName(step.typed)) {
            failure(Form1Texts::renameErrorTitle, target);
            break;
        } else {
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
            message(Form1Texts::startQuestionText, MessageStyle::PlainYesNoNo, Form1Texts::startQuestionTitle,
                    step.confirm ? Answer::Yes : Answer::No);
            if (!step.confirm)
                break;
        }
        ++starts;
        if (step.startFails)
            message(Form1Texts::palaceFilesText, MessageStyle::Critical, Form1Texts::palaceFilesTitle);
        break;
    case Action::About:
        prompts_.append({false,
                         Form1Texts::aboutTitle,
                         MessageStyle::Notice,
                         {},
                         QStringLiteral("Stowbox V1.02 "),
                         c,
                         Answer::Ok,
                         {}});
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
    input(Form1Texts::saveNameTitle, step.typed);
    if (!step.typed.isEmpty()) {
        if (step.wrongPath || !formsOneFileName(step.typed)) {
            message(Form1Texts::palaceFilesText, MessageStyle::Critical, Form1Texts::palaceFilesTitle);
            return;
        }
        bags[step.typed + BagPaths::bagExtension] = live;
    }
    refresh();
    controls.save = true;
}

// The source is opened first, so a bag that is gone is reported before an unusable destination.
bool WindowModel::loadCopy(const Step& step) {
    if (!bags.contains(selfile)) {
        failure(Form1Texts::loadErrorTitle, selfile);
        return false;
    }
    if (step.wrongPath) {
        failure(Form1Texts::loadErrorTitle, liveFileName);
        return false;
    }
    live = bags.value(selfile);
    return true;
}

void WindowModel::message(const QString& text, int style, const QString& title, int answer) {
    prompts_.append({false, title, style, text, {}, controls, answer, {}});
}

void WindowModel::failure(const QString& title, const QString& file) {
    prompts_.append({false, title, MessageStyle::Critical, {}, file, controls, Answer::Ok, {}});
}

void WindowModel::input(const QString& title, const QString& typed) {
    prompts_.append({true, title, 0, Form1Texts::namePrompt, {}, controls, 0, typed});
}
