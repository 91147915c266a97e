// Loses memory the way a careless slot would: allocated from an event that
// Qt's loop delivers, so every frame above the lambda is Qt's. The leak
// check must report it; a suppression that matches a Qt library would not.
// Its own main: CTest looks for the report in the output of a whole program
// that leaks on purpose, not for a passing test.

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTimer::singleShot(0, &app, [] {
        auto* lost = new QTimer;
        lost->setObjectName(QStringLiteral("lost"));
        std::printf("allocated %p\n", static_cast<void*>(lost));
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}
