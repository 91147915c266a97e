#pragma once

#include <QApplication>
#include <QString>

// The program's application object: its names, and the standard error box
// for exceptions that reach the message loop.
class KelvatronApplication : public QApplication
{
public:
    // The application title; the error box carries it as its caption.
    static QString title() { return QStringLiteral("Kelvatron"); }

    KelvatronApplication(int& argc, char** argv);

    // Exceptions that reach the message loop are shown in the standard error
    // box and the loop goes on, so one failing command never ends a race day.
    bool notify(QObject* receiver, QEvent* event) override;
};
