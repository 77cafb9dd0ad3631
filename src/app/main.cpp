#include <QApplication>

#include "app/toolforkx.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int result = 0;
    {
        ToolForKX window;
        window.show();
        result = app.exec();
    }
    return result;
}
