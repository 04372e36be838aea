#include "converter_app.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pagewright"));
    QApplication::setApplicationVersion(QStringLiteral("1.10"));
    CConverterApp app;
    return app.InitInstance();
}
