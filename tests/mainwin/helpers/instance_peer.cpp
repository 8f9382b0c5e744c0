// A program start reduced to its single-instance rule, for the tests:
// the first start registers the receiver and prints each text it receives;
// a later start hands its command line over and ends with exit code 3.
#include "intake/frmLocater.h"
#include "mainwin/SingleInstance.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (SingleInstance::handOff(SingleInstance::commandLine(QCoreApplication::arguments())))
        return 3;
    frmLocater receiver([](const QString& text) {
        std::cout << "received " << text.toStdString() << std::endl;
        return true;
    });
    receiver.showWindow = [] { std::cout << "shown" << std::endl; };
    if (!receiver.load())
        return 1;
    std::cout << "ready" << std::endl;
    return QCoreApplication::exec();
}
