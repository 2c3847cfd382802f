#pragma once

#include "settings/OptionsStore.h"

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QTreeWidget;

namespace tobimaru {

class Prompts;
class ShellOpener;
class clsUpdown;
struct RuntimeSettings;

/// What the options dialog is given; all must outlive it.
struct Form2Context {
    QString iniPath;
    Prompts* prompts = nullptr;
    ShellOpener* shell = nullptr; ///< the version page's home page button
    RuntimeSettings* settings = nullptr;
    /// The main window's always-on-top option: the dialog stands in the same band.
    bool topmost = false;
    /// Lists the tree's folder again, with icons as the menu says.
    std::function<void()> relist;
};

/// `Form2` "環境設定": the start-up behaviour, what the file list shows, the slideshow, the
/// table of listed media types, the archive extraction's folder choice and the version page.
/// It reads the settings file when it is made and writes it only on OK; Cancel and the close
/// box write nothing. Each opening builds it afresh.
class Form2 final : public QDialog {
    Q_OBJECT
public:
    /// Builds the dialog and fills it from the settings file (a stored value no control can
    /// show ends the filling in the error box).
    explicit Form2(const Form2Context& context, QWidget* parent = nullptr);
    ~Form2() override;

    /// The controls as OptionValues, the type rows in display order.
    OptionValues controlValues() const;

    /// Tab n shows page n, and only it.
    void TabStrip1_Click();
    /// One sort order for the whole list: each header click flips it and sorts by that column.
    void ListView1_ColumnClick(int column);
    /// 0 checks every row, 1 unchecks every row.
    void Command1_Click(int index);
    /// 0 OK: refuses an empty pattern list, else saves, takes the new list pattern, re-lists
    /// and closes (a failed save is reported and the rest still happens). 1 キャンセル.
    void Command2_Click(int index);
    /// 0 the project's mail address, 1 its home page, through the desktop's open action.
    void Command3_Click(int index);

    /// Fills the controls from the settings file.
    void LoadOptions();
    /// Writes the controls and `patterns` to the settings file.
    void SaveOptions(const QString& patterns);
    /// Sizes the type list's columns to their contents.
    void FitTypeColumns();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildFrame();
    QFrame* buildPage1();
    QFrame* buildPage2();
    QFrame* buildPage3();
    QFrame* buildPage4();
    void fillTypeList();
    void fillVersionPage();
    void applyValues(const OptionValues& values);
    void sortTypeList(int column, Qt::SortOrder order);

    Form2Context m_ctx;
    QTabBar* m_tabs = nullptr;
    QWidget* m_pageArea = nullptr;
    std::array<QFrame*, 4> m_pages{};
    std::array<QCheckBox*, 5> m_check1{};
    std::array<QCheckBox*, 4> m_check3{};
    QCheckBox* m_check2 = nullptr;
    QButtonGroup* m_option1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QTreeWidget* m_types = nullptr;
    QLabel* m_verLabel = nullptr;
    QPlainTextEdit* m_text1 = nullptr;
    QLabel* m_image1 = nullptr;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_sized = false;
    std::unique_ptr<clsUpdown> m_updown;
};

} // namespace tobimaru
