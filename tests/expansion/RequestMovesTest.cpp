// The moves one request makes, seen from outside: each flow walks the states it should, every
// move it makes is one the table allows, and the table lets nothing out of the end.
#include "support/ExpansionFixture.h"

#include <QFile>
#include <QMainWindow>

#include <functional>

namespace quendle::test {
namespace {

using S = RequestState;

// What a flow's set-up may use of the fixture.
struct Flow {
    ScriptedSeam& seam;
    QuendleAppDelegate& delegate;
    QString work;
    std::function<QString(const QString& name, const Tree& files, const QStringList& switches)> makeArchive;
    std::function<void(const QByteArray& script)> useFakeTool;
};

struct FlowCase {
    const char* name;
    std::function<QString(Flow&)> stage; // gives the archive
    std::vector<S> expected;             // after Idle
};

const FlowCase kFlows[] = {
    {"PlainArchive", [](Flow& f) {
         return f.makeArchive(QStringLiteral("a.zip"), {{QStringLiteral("a/x"), "x"}}, {});
     },
        {S::Planning, S::Running, S::Completing, S::Ending}},
    {"ReplaceCancelledWithoutAWindow", [](Flow& f) {
         const QString work = f.work;
         writeFile(work + QStringLiteral("/a/x"), "mine");
         f.seam.alertAnswers = {kAlertSecondButtonReturn};
         return f.makeArchive(QStringLiteral("a.zip"), {{QStringLiteral("a/x"), "x"}}, {});
     },
        {S::Planning, S::Ending}},
    {"ReplaceCancelledBesideTheMainWindow", [](Flow& f) {
         const QString work = f.work;
         writeFile(work + QStringLiteral("/a/x"), "mine");
         f.seam.alertAnswers = {kAlertSecondButtonReturn};
         f.delegate.mMainWindow()->show();
         return f.makeArchive(QStringLiteral("a.zip"), {{QStringLiteral("a/x"), "x"}}, {});
     },
        {S::Planning, S::Idle}},
    {"EmptyArchive", [](Flow& f) {
         const QString work = f.work;
         writeFile(work + QStringLiteral("/e.zip"), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
         return work + QStringLiteral("/e.zip");
     },
        {S::Planning, S::Ending}},
    {"RightPasswordOnTheSecondTry", [](Flow& f) {
         f.seam.passwordReplies = {{Seam::PasswordReply::Typed, QStringLiteral("wrong")},
             {Seam::PasswordReply::Typed, QStringLiteral("right")}};
         return f.makeArchive(QStringLiteral("p.7z"), {{QStringLiteral("p/x"), "x"}},
             {QStringLiteral("-pright"), QStringLiteral("-mhe=on")});
     },
        {S::Planning, S::WaitingForPassword, S::Planning, S::WaitingForPassword, S::Planning, S::Running,
            S::Completing, S::Ending}},
    {"PasswordCancelled", [](Flow& f) {
         f.seam.passwordReplies = {{Seam::PasswordReply::Cancelled, {}}};
         return f.makeArchive(QStringLiteral("p.7z"), {{QStringLiteral("p/x"), "x"}},
             {QStringLiteral("-pright"), QStringLiteral("-mhe=on")});
     },
        {S::Planning, S::WaitingForPassword, S::Ending}},
    {"BrokenArchive", [](Flow& f) {
         const QString archive = f.makeArchive(QStringLiteral("b.zip"), {{QStringLiteral("b/x"), QByteArray(100000, 'x')}}, {});
         QFile(archive).resize(QFile(archive).size() / 2);
         return archive;
     },
        {S::Planning, S::Running, S::Completing, S::Ending}},
    {"ArchiverThatCannotStartBesideTheMainWindow", [](Flow& f) {
         const QString work = f.work;
         f.useFakeTool(R"(case "$1" in l) printf 'Path = %s\n\nPath = a\n' "$2"; chmod 644 "$0" ;; esac
)");
         f.delegate.mMainWindow()->show();
         writeFile(work + QStringLiteral("/a.zip"), "a");
         return work + QStringLiteral("/a.zip");
     },
        {S::Planning, S::Running, S::Completing, S::Idle}},
};
void PrintTo(const FlowCase& c, std::ostream* out) { *out << c.name; }

class RequestMoves : public ExpansionTest, public testing::WithParamInterface<FlowCase> { };

TEST_P(RequestMoves, WalkTheirStatesByAllowedMovesOnly)
{
    const FlowCase& c = GetParam();
    std::vector<S> walked;
    QObject::connect(&delegate->expansion(), &ExpansionController::requestStateChanged, [&](S from, S to) {
        EXPECT_TRUE(isAllowedMove(from, to)) << int(from) << " -> " << int(to);
        walked.push_back(to);
    });
    Flow flow {seam, *delegate, work(),
        [this](const QString& name, const Tree& files, const QStringList& switches) { return makeArchive(name, files, switches); },
        [this](const QByteArray& script) { useFakeTool(script); }};
    const QString archive = c.stage(flow);
    delegate->applicationOpenFile(archive);
    spinUntil([&] { return !walked.empty() && (walked.back() == S::Ending || walked.back() == S::Idle); }, 30000);
    EXPECT_EQ(walked, c.expected);
    EXPECT_TRUE(seam.logLines.filter(QStringLiteral("cannot move")).isEmpty()) << qPrintable(seam.logLines.join(u'\n'));
}

INSTANTIATE_TEST_SUITE_P(Flows, RequestMoves, testing::ValuesIn(kFlows),
    [](const testing::TestParamInfo<FlowCase>& info) { return std::string(info.param.name); });

TEST(RequestMoveTable, NothingLeavesTheEndAndARunOnlyCompletes)
{
    for (const S to : {S::Idle, S::Planning, S::WaitingForPassword, S::Running, S::Completing, S::Ending}) {
        EXPECT_FALSE(isAllowedMove(S::Ending, to)) << int(to);
        EXPECT_EQ(isAllowedMove(S::Running, to), to == S::Completing) << int(to);
        // Nothing runs without being planned first.
        EXPECT_EQ(isAllowedMove(to, S::Running), to == S::Planning) << int(to);
    }
}

} // namespace
} // namespace quendle::test
