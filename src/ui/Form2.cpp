#include "ui/Form2.h"

#include "base/ErrorBox.h"
#include "base/Prompts.h"
#include "base/RuntimeSettings.h"
#include "platform/AboutTexts.h"
#include "platform/ShellOpen.h"
#include "platform/WaitCursor.h"
#include "playback/DisplayOptions.h"
#include "ui/clsUpdown.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QShowEvent>
#include <QTabBar>
#include <QTreeWidget>
#include <optional>

namespace tobimaru {

namespace {

Qt::CheckState CheckStateOf(int stored) {
    switch (stored) {
    case kChecked:
        return Qt::Checked;
    case kGrayed:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

int StoredOf(Qt::CheckState state) {
    switch (state) {
    case Qt::Checked:
        return kChecked;
    case Qt::PartiallyChecked:
        return kGrayed;
    default:
        return kUnchecked;
    }
}

void SetCheck(QCheckBox* box, int stored) {
    box->setCheckState(CheckStateOf(stored));
}

} // namespace

Form2::Form2(const Form2Context& context, QWidget* parent)
    : QDialog(parent)
    , m_ctx(context) {
    setModal(true);
    // The band first, before the window exists: it then takes the flag when it is made.
    DisplayOptions::SetWindowTopmost(this, m_ctx.topmost);
    buildFrame();
    TabStrip1_Click();
    fillTypeList();
    sortTypeList(0, Qt::AscendingOrder);
    m_updown = std::make_unique<clsUpdown>();
    m_updown->Create(m_text2, 30, 1);
    LoadOptions();
    FitTypeColumns();
    fillVersionPage();
}

Form2::~Form2() = default;

void Form2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_sized)
        return;
    m_sized = true;
    // The drawn size is the outer one: the frame, known now, comes off it once.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (!frame.isEmpty())
        setFixedSize(size() - frame);
}

void Form2::TabStrip1_Click() {
    const int selected = m_tabs->currentIndex();
    for (QFrame* page : m_pages)
        page->hide();
    if (selected >= 0 && selected < int(m_pages.size()))
        m_pages[size_t(selected)]->show();
}

void Form2::sortTypeList(int column, Qt::SortOrder order) {
    m_sortOrder = order;
    m_types->sortItems(column, order);
}

void Form2::ListView1_ColumnClick(int column) {
    sortTypeList(column, m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void Form2::Command1_Click(int index) {
    const Qt::CheckState state = index == 0 ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < m_types->topLevelItemCount(); ++i)
        m_types->topLevelItem(i)->setCheckState(0, state);
}

OptionValues Form2::controlValues() const {
    OptionValues v;
    v.rows.clear();
    for (int i = 0; i < m_types->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_types->topLevelItem(i);
        v.rows.append({item->text(0), item->text(1), item->checkState(0) == Qt::Checked});
    }
    v.slideTime = m_text2->text();
    v.slideType = m_option1->checkedId() < 0 ? 0 : m_option1->checkedId();
    for (size_t i = 0; i < m_check1.size(); ++i)
        v.boot[i] = StoredOf(m_check1[i]->checkState());
    for (size_t i = 0; i < m_check3.size(); ++i)
        v.fileView[i] = StoredOf(m_check3[i]->checkState());
    v.selectFolder = m_check2->isChecked();
    return v;
}

void Form2::applyValues(const OptionValues& values) {
    for (int i = 0; i < m_types->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_types->topLevelItem(i);
        for (const MediaType& row : values.rows) {
            if (row.extension == item->text(0))
                item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        }
    }
    m_text2->setText(values.slideTime);
    if (QAbstractButton* option = m_option1->button(values.slideType))
        option->setChecked(true);
    for (size_t i = 0; i < m_check1.size(); ++i)
        SetCheck(m_check1[i], values.boot[i]);
    for (size_t i = 0; i < m_check3.size(); ++i)
        SetCheck(m_check3[i], values.fileView[i]);
    m_check2->setChecked(values.selectFolder);
}

void Form2::LoadOptions() {
    OptionValues values = controlValues();
    // What was read before a value no control can show still shows; the rest keeps its state.
    RunCommand(*m_ctx.prompts, [&] { tobimaru::LoadOptions(m_ctx.iniPath, values, *m_ctx.settings); });
    applyValues(values);
}

void Form2::SaveOptions(const QString& patterns) {
    RunCommand(*m_ctx.prompts,
               [&] { tobimaru::SaveOptions(m_ctx.iniPath, controlValues(), patterns, *m_ctx.settings); });
}

void Form2::FitTypeColumns() {
    m_types->setVisible(false);
    for (int c = 0; c < m_types->columnCount(); ++c)
        m_types->resizeColumnToContents(c);
    m_types->setVisible(true);
}

void Form2::Command2_Click(int index) {
    if (index != 0) {
        reject();
        return;
    }
    std::optional<WaitCursor> busy(std::in_place);
    const QString patterns = BuildPatternList(controlValues().rows);
    if (patterns.isEmpty()) {
        busy.reset();
        m_pages[0]->hide();
        m_pages[1]->hide();
        m_pages[0]->show();
        m_tabs->setCurrentIndex(0);
        m_ctx.prompts->message(QStringLiteral("再生ファイルのチェックを、すべてはずすことはできません。"),
                               AppTitle(), PromptIcon::Information, PromptButtons::Ok);
        return;
    }
    // The stored numbers follow the extension order, whatever order the user sorted by.
    sortTypeList(0, Qt::AscendingOrder);
    SaveOptions(patterns);
    if (const QString pattern = patterns.chopped(1); pattern != m_ctx.settings->ListPattern)
        m_ctx.settings->ListPattern = pattern;
    if (m_ctx.relist)
        m_ctx.relist();
    busy.reset();
    accept();
}

void Form2::Command3_Click(int index) {
    if (!m_ctx.shell)
        return;
    if (index != 1)
        return;
    OpenOrSayWhyNot(*m_ctx.shell, *m_ctx.prompts, this, ProjectHomePage());
}

} // namespace tobimaru
