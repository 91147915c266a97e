#include "ui/main/InstallationCheck.h"

#include "protocol/ProtocolController.h"
#include "ui/main/TFormMain.h"

#include <QFileInfo>

#include <cstdio>

namespace InstallationCheck {

namespace {

bool reportFile(const char* what, const QString& path)
{
    const bool found = QFileInfo(path).isFile();
    std::printf("%s: %s (%s)\n", what, qPrintable(path), found ? "gefunden" : "fehlt");
    return found;
}

} // namespace

int report(const TFormMain& form)
{
    const bool help = reportFile("Hilfe", form.helpFile());
    const bool wordTemplate = reportFile("Vorlage", form.wordTemplateFile());
    std::fflush(stdout);
    return help && wordTemplate ? 0 : 1;
}

} // namespace InstallationCheck
