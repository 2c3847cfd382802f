#include "ui/MessageBoxPrompts.h"

#include "base/FileNames.h"
#include "browse/BrowseFolder.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QScopeGuard>
#include <QSettings>
#include <QUrl>

namespace tobimaru {

namespace {

QMessageBox::Icon ToQt(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::None:
        return QMessageBox::NoIcon;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(PromptButtons b) {
    switch (b) {
    case PromptButtons::Ok:
        return QMessageBox::Ok;
    case PromptButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case PromptButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

PromptAnswer FromQt(int button) {
    switch (button) {
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Retry:
        return PromptAnswer::Retry;
    case QMessageBox::Abort:
        return PromptAnswer::Abort;
    case QMessageBox::Ignore:
        return PromptAnswer::Ignore;
    default:
        return PromptAnswer::Ok;
    }
}

// The local folder of a URL text; "" for another scheme and for "file:" (the computer itself).
QString LocalFolder(const QString& url) {
    const QUrl u(url);
    return u.isLocalFile() ? u.toLocalFile() : QString();
}

// Qt's dialog rebuilds the folder, the side bar and the history that the last dialog of any Qt
// program left in the user's Qt settings, and stats each of them on this thread while it is being
// built. Whatever lies on a drive that does not answer is taken out of them first.
void ForgetUnreachable(MessageBoxPrompts::ReachableFunction reachable) {
    QSettings settings(QSettings::UserScope, QStringLiteral("QtProject"));
    settings.beginGroup(QStringLiteral("FileDialog"));
    const QString lastVisited = settings.value(QStringLiteral("lastVisited")).toString();
    const QStringList shortcuts = settings.value(QStringLiteral("shortcuts")).toStringList();
    const QStringList history = settings.value(QStringLiteral("history")).toStringList();
    QStringList urls = shortcuts;
    urls += history;
    urls.append(lastVisited);
    QStringList folders;
    for (const QString& url : std::as_const(urls)) {
        const QString folder = LocalFolder(url);
        if (!folder.isEmpty() && !folders.contains(folder))
            folders.append(folder);
    }
    if (folders.isEmpty())
        return;
    const QStringList answering = reachable(folders);
    const auto kept = [&answering](const QString& url) {
        const QString folder = LocalFolder(url);
        return folder.isEmpty() || answering.contains(folder);
    };
    const auto filtered = [&kept](const QStringList& offered) {
        QStringList out;
        for (const QString& url : offered) {
            if (kept(url))
                out.append(url);
        }
        return out;
    };
    if (!kept(lastVisited))
        settings.remove(QStringLiteral("lastVisited"));
    if (const QStringList s = filtered(shortcuts); s.size() != shortcuts.size())
        settings.setValue(QStringLiteral("shortcuts"), s);
    if (const QStringList h = filtered(history); h.size() != history.size())
        settings.setValue(QStringLiteral("history"), h);
}

QMessageBox::StandardButton ToQt(PromptAnswer a) {
    switch (a) {
    case PromptAnswer::Ok:
        return QMessageBox::Ok;
    case PromptAnswer::Cancel:
        return QMessageBox::Cancel;
    case PromptAnswer::Yes:
        return QMessageBox::Yes;
    case PromptAnswer::No:
        return QMessageBox::No;
    case PromptAnswer::Retry:
        return QMessageBox::Retry;
    case PromptAnswer::Abort:
        return QMessageBox::Abort;
    case PromptAnswer::Ignore:
        return QMessageBox::Ignore;
    }
    return QMessageBox::NoButton;
}

// A box asked during busy work (the settings load at start-up, a drive check) waits for the
// user: it shows the normal pointer, and the busy one comes back after it.
int ExecWithNormalPointer(QDialog& dialog) {
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = dialog.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return result;
}

// A lone carriage return is the line break of our texts; Qt wants a line feed.
QString WithLineFeeds(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

MessageBoxPrompts::MessageBoxPrompts(QWidget* parent)
    : m_parent(parent)
    , m_reachable(static_cast<ReachableFunction>(&ReachableFolders)) {}

PromptAnswer MessageBoxPrompts::message(const QString& text, const QString& caption, PromptIcon icon,
                                        PromptButtons buttons) {
    return show(text, caption, icon, buttons, nullptr);
}

PromptAnswer MessageBoxPrompts::ask(const QString& text, const QString& caption, PromptIcon icon,
                                    PromptButtons buttons, PromptAnswer defaultAnswer) {
    return show(text, caption, icon, buttons, &defaultAnswer);
}

QString MessageBoxPrompts::inputText(const QString& prompt, const QString& title) {
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(WithLineFeeds(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    const bool accepted = ExecWithNormalPointer(dialog) == QDialog::Accepted;
    return accepted ? dialog.textValue() : QString();
}

PromptAnswer MessageBoxPrompts::show(const QString& text, const QString& caption, PromptIcon icon,
                                     PromptButtons buttons, const PromptAnswer* defaultAnswer) {
    QMessageBox box(ToQt(icon), caption, QString(), ToQt(buttons), m_parent);
    if (defaultAnswer) {
        box.setDefaultButton(ToQt(*defaultAnswer));
        // Escape is the safe answer too, unless the box has a cancel of its own.
        if (!(ToQt(buttons) & QMessageBox::Cancel))
            box.setEscapeButton(ToQt(*defaultAnswer));
    }
    // Our texts carry file and folder names, which may look like markup ("<a>.avi"): never
    // let Qt guess rich text.
    box.setTextFormat(Qt::PlainText);
    // A path in the text may hold bytes that are not UTF-8.
    box.setText(WithLineFeeds(DisplayFileName(text)));
    const int answer = ExecWithNormalPointer(box);
    return FromQt(answer);
}

QString MessageBoxPrompts::browseFolder(const QString& prompt, const QString& initial, int root) {
    QList<QUrl> sidebar;
    QString start = initial;
    {
        // Gathering the places may wait for the probe of a drive; the pointer says so meanwhile.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        const QStringList places = m_places ? m_places(root) : QStringList();
        for (const QString& p : places)
            sidebar << QUrl::fromLocalFile(p);
        if (m_reachable) {
            ForgetUnreachable(m_reachable);
            if (!start.isEmpty() && m_reachable({start}).isEmpty())
                start.clear();
        }
        // Left to itself the dialog would open wherever the last one closed, or in the working
        // folder, and stat it: the root's first place, or "/", is a folder known to answer.
        if (start.isEmpty())
            start = places.isEmpty() ? QDir::rootPath() : places.constFirst();
    }
    QFileDialog dialog(m_parent, prompt, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    // Qt's own dialog: the same on every desktop, and one a test can drive.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (m_places)
        dialog.setSidebarUrls(sidebar);
    if (!initial.isEmpty() && start == initial)
        dialog.selectFile(initial);
    // Like a box, the dialog waits for the user with the normal pointer.
    const bool accepted = ExecWithNormalPointer(dialog) == QDialog::Accepted;
    const QStringList chosen = dialog.selectedFiles();
    // Qt hands the folder a dialog closes in to the next dialog of this process, which stats it
    // while it is built, before any of our checks: "/" is the one folder that cannot go silent
    // under a running program.
    dialog.setDirectory(QDir::rootPath());
    if (!accepted || chosen.isEmpty())
        return {};
    return chosen.constFirst();
}

void MessageBoxPrompts::beep() {
    QApplication::beep();
}

} // namespace tobimaru
