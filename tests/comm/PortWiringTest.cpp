// The light-barrier wiring on a port of the harness: what it tells its owner
// about opens, edges, a pulled adapter and a port that never opened.
#include "CommTestSupport.h"

#include "comm/ComErrors.h"
#include "comm/PortWiring.h"
#include "harness/BarrierLine.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using TestSupport::monotonicNs;

class CommPortWiring : public ::testing::Test
{
protected:
    void SetUp() override
    {
        board = BarrierBoard::attach(std::getenv("KELVATRON_BARRIER_STATE"));
        ASSERT_TRUE(board);
        plugIn();
        wiring = std::make_unique<PortWiring>(dir.path(), monotonicNs);
        // The wiring itself, not the pointer: closing at destruction reports too.
        PortWiring* port = wiring.get();
        QObject::connect(port, &PortWiring::opened, [this, port] {
            log << QStringLiteral("opened COM%1").arg(port->portNumber());
        });
        QObject::connect(port, &PortWiring::closed, [this, port] {
            log << QStringLiteral("closed, open %1").arg(port->isOpen());
        });
        QObject::connect(port, &PortWiring::lost, [this, port](const QString& text) {
            log << QStringLiteral("lost, open %1").arg(port->isOpen());
            texts << text;
        });
        QObject::connect(port, &PortWiring::notice, [this](const QString& text) { texts << text; });
        QObject::connect(port, &PortWiring::edge,
                         [this, port](std::int64_t ticks, std::uint32_t status) {
                             // The race asks the port for the status while it handles the edge.
                             EXPECT_EQ(port->ModemStatus(), status);
                             edges.push_back({ticks, status});
                         });
    }

    void TearDown() override
    {
        wiring.reset();
        line.reset();
    }

    void plugIn()
    {
        line.reset();
        QFile::remove(dir.filePath(QStringLiteral("ttyS0")));
        line = BarrierLine::create(*board, "ttyS0");
        line->linkAs(dir.filePath(QStringLiteral("ttyS0")).toStdString());
    }

    struct Edge
    {
        std::int64_t ticks;
        std::uint32_t status;
    };

    QTemporaryDir dir;
    std::unique_ptr<BarrierBoard> board;
    std::unique_ptr<BarrierLine> line;
    std::unique_ptr<PortWiring> wiring;
    QStringList log;
    QStringList texts;
    std::vector<Edge> edges;
};

TEST_F(CommPortWiring, EdgesCarryTheStampAndStatusOfTheirOwnChange)
{
    wiring->ProbePorts();
    EXPECT_EQ(wiring->AvailablePorts(), 0x00010001u);
    wiring->setPortNumber(1);
    ASSERT_TRUE(wiring->openAtStartUp());
    EXPECT_EQ(log, QStringList{QStringLiteral("opened COM1")});
    EXPECT_TRUE(line->dtr()) << "DTR feeds the contact";

    const std::int64_t closedAt = line->setContact(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return edges.size() == 1; }, kWaitMs));
    const std::int64_t openedAt = line->setContact(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return edges.size() == 2; }, kWaitMs));

    EXPECT_EQ(edges[0].status & IPortState::kDsrOn, IPortState::kDsrOn);
    EXPECT_EQ(edges[1].status & IPortState::kDsrOn, 0u);
    EXPECT_GE(edges[0].ticks, closedAt);
    EXPECT_LT(edges[0].ticks, openedAt);
    EXPECT_GE(edges[1].ticks, openedAt);
}

TEST_F(CommPortWiring, PulledAdapterIsClosedBeforeItIsReportedAndComesBackWhenConfirmed)
{
    wiring->setPortNumber(1);
    ASSERT_TRUE(wiring->openAtStartUp());
    line->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !texts.isEmpty(); }, kWaitMs));
    EXPECT_EQ(log, (QStringList{QStringLiteral("opened COM1"), QStringLiteral("closed, open 0"),
                                QStringLiteral("lost, open 0")}));
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("Die Lichtschranke antwortet nicht mehr (")))
        << texts[0].toStdString();
    EXPECT_TRUE(texts[0].endsWith(QStringLiteral("). Das Programm ist in den Handbetrieb "
                                                 "gewechselt.")));
    wiring->autoModeRefused();
    EXPECT_EQ(texts.size(), 1) << "the operator has been told already";

    plugIn();
    log.clear();
    wiring->applyPortChoice(1, 1, QStringLiteral("COM1"));
    EXPECT_EQ(log, QStringList{QStringLiteral("opened COM1")});
    EXPECT_TRUE(wiring->isOpen());
    EXPECT_TRUE(line->dtr());

    log.clear();
    wiring->applyPortChoice(1, 1, QStringLiteral("COM1"));
    EXPECT_TRUE(log.isEmpty()) << "an open port that is confirmed again stays as it is";
}

TEST_F(CommPortWiring, PortThatNeverOpenedSaysWhyOnceWhenAutoIsAsked)
{
    wiring->setPortNumber(2);
    EXPECT_FALSE(wiring->openAtStartUp());
    EXPECT_TRUE(texts.isEmpty()) << "start-up stays silent";

    wiring->autoModeRefused();
    wiring->autoModeRefused();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith(
        QStringLiteral("Die Lichtschranke an COM2 ist nicht bereit (Unable to open com port: ")))
        << texts[0].toStdString();
    EXPECT_TRUE(texts[0].endsWith(QStringLiteral("). Das Programm bleibt im Handbetrieb.")));

    // A failed open after the dialog is shown by the dialog's owner at once.
    EXPECT_THROW(wiring->applyPortChoice(1, 2, QStringLiteral("COM3")), EComError);
    EXPECT_FALSE(wiring->isOpen());
    wiring->autoModeRefused();
    EXPECT_EQ(texts.size(), 1);
}

} // namespace
