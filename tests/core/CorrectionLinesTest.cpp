// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CorrectionLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using CorrectionLines::Correction;
using CorrectionLines::RunStatus;

namespace {

std::vector<Correction> everyNamedOp()
{
    return {Correction::penalty(+1),
            Correction::penalty(-1),
            Correction::setStatus(RunStatus::Retired),
            Correction::setStatus(RunStatus::Disqualified),
            Correction::setStatus(RunStatus::NotStarted),
            Correction::setStatus(RunStatus::Rated),
            Correction::strike(true),
            Correction::strike(false)};
}

} // namespace

// Names are typed by the operator and end the line, so they may hold what
// the line's own fields look like; the target of "zugeordnet" is quoted.
TEST(CoreCorrectionLines, EveryOpReadsBackWithHostileTexts)
{
    const std::vector<std::string> hostile = {
        "12", "Müller \"Blitz\"",     "x  Start 9:00.00,00  Nr.: y", "Nr.: 5",
        "\"", "\"\" zugeordnet \"\"", "*  Wertung: Strafe +1",       "  padded  ",
        "",
    };
    std::vector<Correction> corrections = everyNamedOp();
    for (const std::string& target : hostile) {
        if (!target.empty()) {
            corrections.push_back(Correction::assign(target));
        }
    }
    for (const Correction& correction : corrections) {
        for (const std::string& name : hostile) {
            const auto text = CorrectionLines::line(correction, "10:15.03,25", name);
            ASSERT_TRUE(text) << name;
            SCOPED_TRACE(*text);
            EXPECT_EQ(text->front(), '*');
            const auto parsed = CorrectionLines::parse(*text);
            ASSERT_TRUE(parsed);
            Correction expected = correction;
            if (expected.op == CorrectionLines::Op::Assign) {
                expected.target = expected.target == "  padded  " ? "padded" : expected.target;
            }
            EXPECT_EQ(parsed->correction, expected);
            EXPECT_EQ(parsed->startOfDay, "10:15.03,25");
            EXPECT_EQ(parsed->competitor, name == "  padded  " ? "padded" : name);
        }
    }

    // An editor that drops trailing blanks leaves "Nr.:" of an empty name.
    std::string empty = *CorrectionLines::line(Correction::strike(true), "9:00.00,00", "");
    empty.pop_back();
    ASSERT_TRUE(CorrectionLines::parse(empty));
    EXPECT_EQ(CorrectionLines::parse(empty)->competitor, "");
}

TEST(CoreCorrectionLines, TextsThatCannotStandOnALineAndNearMissesAreRefused)
{
    const Correction strike = Correction::strike(true);
    EXPECT_FALSE(CorrectionLines::line(Correction::assign(""), "9:00.00,00", "1"));
    EXPECT_FALSE(CorrectionLines::line(Correction::assign("   "), "9:00.00,00", "1"));
    EXPECT_FALSE(CorrectionLines::line(Correction::assign("a\nb"), "9:00.00,00", "1"));
    EXPECT_FALSE(CorrectionLines::line(strike, "9:00.00,00", "a\rb"));
    EXPECT_FALSE(CorrectionLines::line(strike, "", "1"));
    EXPECT_FALSE(CorrectionLines::line(strike, "9:00 .00,00", "1"));

    for (const char* text : {
             "*  Wertung: Strafe +2  Start 9:00.00,00  Nr.: 1",
             "*  Wertung: gestrichen  Start 9:00.00,00  Nr.:1",
             "*  Wertung: gestrichen  Start   Nr.: 1",
             "*  Wertung: gestrichen  Start 9:00.00,00",
             "*  Wertung: gestrichen Start 9:00.00,00  Nr.: 1",
             "*  Wertung: zugeordnet \"x  Start 9:00.00,00  Nr.: 1",
             "*  Wertung: zugeordnet \"\"  Start 9:00.00,00  Nr.: 1",
             "*  Wertung: zugeordnet \" \"  Start 9:00.00,00  Nr.: 1",
             "*  Wertung: zugeordnet \"a\"b\"  Start 9:00.00,00  Nr.: 1",
             "* Wertung: gestrichen  Start 9:00.00,00  Nr.: 1",
         }) {
        EXPECT_FALSE(CorrectionLines::parse(text)) << text;
    }
}
