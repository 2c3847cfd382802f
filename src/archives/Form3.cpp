#include "archives/Form3.h"

#include "archives/ExtensionChange.h"
#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "browse/FileListModel.h"
#include "settings/IniFile.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tobimaru {

namespace {

QString Section() {
    return QStringLiteral("KakuchoushiConv");
}

} // namespace

Form3::Form3(const Form3Context& context, QWidget* owner)
    : QDialog(owner)
    , m_ctx(context) {
    if (!m_ctx.prompts || !m_ctx.model || !m_ctx.selection || !m_ctx.relist)
        throw Failure(ErrorCode::ObjectNotSet, "Form3");
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("選択された拡張子の変更"));
    setModal(true);

    auto* frame = new QGroupBox(QStringLiteral("拡張子の変更"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    m_group = new QButtonGroup(this);
    const char* captions[] = {"大文字に", "小文字に", "統一"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromUtf8(captions[i]), frame);
        option->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        m_group->addButton(option, i);
        grid->addWidget(option, i, 0);
        m_options[size_t(i)] = option;
    }
    m_text = new QLineEdit(frame);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setAccessibleName(QStringLiteral("統一する拡張子"));
    grid->addWidget(m_text, 2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* labels[] = {"OK", "キャンセル"};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(QString::fromUtf8(labels[i]), this);
        button->setObjectName(QStringLiteral("Command2(%1)").arg(i));
        button->setAutoDefault(i == 0);
        connect(button, &QPushButton::clicked, this, [this, i] { Command2Click(i); });
        buttons->addWidget(button);
        m_buttons[size_t(i)] = button;
    }
    m_buttons[0]->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    loadSettings();
}

int Form3::chosenOption() const {
    return m_group->checkedId();
}

void Form3::loadSettings() {
    RunCommand(*m_ctx.prompts, [this] {
        const clsIniFile ini(m_ctx.iniPath);
        bool isNumber = false;
        const int option = ini.GetStrValue({}, Section(), QStringLiteral("SelectOpton"), QStringLiteral("0"))
                               .trimmed()
                               .toInt(&isNumber);
        if (!isNumber)
            throw Failure(ErrorCode::TypeMismatch, "SelectOpton");
        if (option < 0 || option > 2)
            throw Failure(ErrorCode::SubscriptOutOfRange, "SelectOpton");
        m_options[size_t(option)]->setChecked(true);
        const QString name =
            ini.GetStrValue({}, Section(), QStringLiteral("KakuchoushiName"), QStringLiteral("0"));
        if (name != QLatin1String("0"))
            m_text->setText(name);
    });
}

void Form3::saveSettings() {
    clsIniFile ini(m_ctx.iniPath);
    ini.SetValue(chosenOption(), {}, Section(), QStringLiteral("SelectOpton"));
    if (!m_text->text().isEmpty())
        ini.SetValue(m_text->text(), {}, Section(), QStringLiteral("KakuchoushiName"));
}

bool Form3::renameSelected() {
    const auto option = ExtensionOption(chosenOption());
    const QString typed = m_text->text();
    bool complete = true;
    const bool trapped = RunCommand(*m_ctx.prompts, [&] {
        const FileListModel& model = *m_ctx.model;
        for (int r = 0; r < model.rowCount(); ++r) {
            if (!m_ctx.selection->isRowSelected(r, {}))
                continue;
            const ListRow& row = model.row(r);
            const QString key = model.key(r);
            const ExtensionStep step = PlanExtensionChange(key, row.extension, option, typed);
            if (step.kind == ExtensionStep::Refuse) {
                complete = false;
                m_text->setFocus();
                m_text->selectAll();
                return;
            }
            if (step.kind == ExtensionStep::Keep || step.newPath == key)
                continue;
            if (const std::optional<ErrorCode> code = RenameWithoutReplacing(key, step.newPath))
                throw Failure(*code, "ReNameFile");
        }
    });
    return trapped && complete;
}

void Form3::Command2Click(int index) {
    if (index != 0) {
        reject();
        return;
    }
    // Without a chosen option there is no new extension to give (a settings load that failed).
    if (m_ctx.model->rowCount() == 0 || chosenOption() < 0)
        return;
    if (!renameSelected())
        return;
    m_ctx.relist();
    saveSettings();
    accept();
}

void ShowExtensionDialog(QWidget* owner, const Form3Context& context) {
    Form3 dialog(context, owner);
    dialog.exec();
}

} // namespace tobimaru
