#include "ui/frmSplash.h"

#include "base/Prompts.h"
#include "platform/AboutTexts.h"
#include "ui/ProgramLogo.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace tobimaru {

QString SplashVersionText() {
    return QStringLiteral("V") + ProgramVersionText();
}

frmSplash::frmSplash(QWidget* parent)
    : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setFrameShape(QFrame::Box);
    setLineWidth(2);
    auto* layout = new QVBoxLayout(this);
    auto* label1 = new QLabel(QStringLiteral("For Windows2000/XP フリーソフト"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(ProgramLogo(64));
    m_product = new QLabel(AppTitle(), this);
    m_product->setObjectName(QStringLiteral("lblProductName"));
    QFont big = m_product->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    m_product->setFont(big);
    m_version = new QLabel(SplashVersionText(), this);
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel* l : {label1, logo, m_product, m_version, m_label2}) {
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
    }
    setFixedSize(360, 240);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

void frmSplash::setSpeedText(const QString& text) {
    m_label2->setText(text);
    m_label2->repaint();
}

QString frmSplash::speedText() const {
    return m_label2->text();
}
QString frmSplash::versionText() const {
    return m_version->text();
}
QString frmSplash::productText() const {
    return m_product->text();
}

void frmSplash::mousePressEvent(QMouseEvent*) {
    close();
}
void frmSplash::keyPressEvent(QKeyEvent*) {
    close();
}

} // namespace tobimaru
