#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Edits an OpenDocument text in its flat XML form (.fodt) without parsing it
// into a tree: the reader only finds the places, and the new elements are
// spliced into the original text, so everything else of the template stays
// byte for byte as the office wrote it.
class FodtEditor
{
public:
    static constexpr const char* kStyleName = "KelvatronProtokoll";

    // Puts one monospaced paragraph per protocol line at the start of the body
    // (after the declarations the format requires to come first). No text, no
    // paragraph. nullopt when the document is not a flat ODF text.
    static std::optional<QByteArray> insertAtStart(const QByteArray& fodt, const QString& text);

    // One line as paragraph content: blanks that ODF would collapse become
    // <text:s/>, tabs <text:tab/>, characters XML cannot carry "?".
    static QString paragraphContent(const QString& line, const QString& textPrefix);
};
