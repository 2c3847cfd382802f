#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QButtonGroup;
class QItemSelectionModel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tobimaru {

class FileListModel;
class Prompts;

/// What the extension change dialog works on. All of it is required and must outlive the dialog.
struct Form3Context {
    Prompts* prompts = nullptr;
    QString iniPath; ///< the settings file (section KakuchoushiConv)
    const FileListModel* model = nullptr;
    const QItemSelectionModel* selection = nullptr; ///< the list's selection
    /// Lists the tree's folder again.
    std::function<void()> relist;
};

/// "選択された拡張子の変更": the extensions of the selected files to upper case, to lower case,
/// or to one typed extension. The chosen option and the typed text are remembered in the
/// settings file once a walk has gone through.
class Form3 final : public QDialog {
    Q_OBJECT
public:
    /// Loads the settings (a stored option outside 0 to 2 is reported, and none is chosen).
    /// Throws Failure(ObjectNotSet) when a part of the context is missing.
    explicit Form3(const Form3Context& context, QWidget* owner = nullptr);

    /// The buttons: 0 applies to the selected rows, 1 closes without change.
    void Command2Click(int index);

    /// The chosen option's index, -1 when none is chosen.
    int chosenOption() const;
    /// The controls: the options by index, the typed extension, the buttons by index.
    QRadioButton* Option1(int index) const { return m_options.at(size_t(index)); }
    QLineEdit* Text1() const { return m_text; }
    QPushButton* Command2(int index) const { return m_buttons.at(size_t(index)); }

private:
    void loadSettings();
    void saveSettings();
    /// Renames the selected files; false when the walk stopped (refused text or failed rename).
    bool renameSelected();

    Form3Context m_ctx;
    std::array<QRadioButton*, 3> m_options{};
    QButtonGroup* m_group = nullptr;
    QLineEdit* m_text = nullptr;
    std::array<QPushButton*, 2> m_buttons{};
};

/// Opens Form3 modally, owned by `owner`, for the rows selected in the list, and returns once it
/// has been closed. Playback is the caller's to stop first.
void ShowExtensionDialog(QWidget* owner, const Form3Context& context);

} // namespace tobimaru
