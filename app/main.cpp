#include "app/converter_app.h"
#include "app/product_info.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(kProductNameText);
    QApplication::setApplicationVersion(kProductVersionText);
    CConverterApp app;
    return app.InitInstance();
}
