#include "app/SubMain.h"

#include <QApplication>
#include <QMainWindow>

namespace tobimaru {

int SubMain(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("TobimaruMe Ver1.0.1"));
    w.show();
    return app.exec();
}

} // namespace tobimaru
