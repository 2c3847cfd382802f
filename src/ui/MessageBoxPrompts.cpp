#include "ui/MessageBoxPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
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

} // namespace

MessageBoxPrompts::MessageBoxPrompts(QWidget* parent)
    : m_parent(parent) {}

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
    QString shown = prompt;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    dialog.setLabelText(shown);
    dialog.setInputMode(QInputDialog::TextInput);
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (busy)
        QApplication::restoreOverrideCursor();
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
    // A lone carriage return is the line break of our texts; Qt wants a line feed.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    // A box asked during busy work (the settings load at start-up, a drive check) waits for the
    // user: it shows the normal pointer, and the busy one comes back after it.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return FromQt(answer);
}

QString MessageBoxPrompts::browseFolder(const QString& prompt, const QString& initial, int root) {
    QFileDialog dialog(m_parent, prompt, initial);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    // Qt's own dialog: the same on every desktop, and one a test can drive.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (m_places) {
        QList<QUrl> urls;
        for (const QString& p : m_places(root))
            urls << QUrl::fromLocalFile(p);
        dialog.setSidebarUrls(urls);
    }
    if (!initial.isEmpty())
        dialog.selectFile(initial);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void MessageBoxPrompts::beep() {
    QApplication::beep();
}

} // namespace tobimaru
