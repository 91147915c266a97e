#include "ui/main/CodePageValidator.h"

#include "protocol/ProtocolText.h"

CodePageValidator::CodePageValidator(std::function<void()> refused, QObject* parent)
    : QValidator(parent), m_refused(std::move(refused))
{
}

QValidator::State CodePageValidator::validate(QString& input, int& /*pos*/) const
{
    // The encoder turns whatever it cannot hold into "?", so a round trip
    // that changes the text has lost something.
    if (ProtocolText::decodeCp1252(ProtocolText::encodeCp1252(input)) == input)
        return Acceptable;
    if (m_refused)
        m_refused();
    return Invalid;
}
