#pragma once

#include <QValidator>

#include <functional>

// Takes only text that the protocol's code page (Windows-1252) can hold, so
// a start name is written to the files exactly as the window shows it. What
// would not survive is refused as a whole, typed or pasted, with a beep.
class CodePageValidator : public QValidator
{
public:
    CodePageValidator(std::function<void()> refused, QObject* parent);

    State validate(QString& input, int& pos) const override;

private:
    std::function<void()> m_refused;
};
