// Where an archive's contents go, for every plan, without windows or files.
#include "core/Planning.h"

#include <gtest/gtest.h>

namespace quendle {
namespace {

struct PathCase {
    const char* path;
    const char* folder;
    const char* lessExtension;
    const char* fileName;
    const char* extension;
};

class PathRules : public testing::TestWithParam<PathCase> { };

TEST_P(PathRules, FollowTheDesktopPathRules)
{
    const PathCase& c = GetParam();
    const QString path = QString::fromUtf8(c.path);
    EXPECT_EQ(folderOfPath(path), QString::fromUtf8(c.folder));
    EXPECT_EQ(pathLessExtension(path), QString::fromUtf8(c.lessExtension));
    EXPECT_EQ(fileNameOfPath(path), QString::fromUtf8(c.fileName));
    EXPECT_EQ(pathExtension(path), QString::fromUtf8(c.extension));
}

INSTANTIATE_TEST_SUITE_P(Paths, PathRules,
    testing::Values(PathCase {"/d/a.zip", "/d", "/d/a", "a.zip", "zip"},
        PathCase {"/d/a.tar.gz", "/d", "/d/a.tar", "a.tar.gz", "gz"},
        PathCase {"/d/archive", "/d", "/d/archive", "archive", ""},
        PathCase {"/d.x/archive", "/d.x", "/d.x/archive", "archive", ""},
        PathCase {"/d/.hidden", "/d", "/d/.hidden", ".hidden", ""},
        PathCase {"/d/a.", "/d", "/d/a.", "a.", ""},
        PathCase {"/a.zip", "/", "/a", "a.zip", "zip"},
        PathCase {"/d/folder/", "/d", "/d/folder", "folder", ""},
        PathCase {"/d/Å b \"q\".7z", "/d", "/d/Å b \"q\"", "Å b \"q\".7z", "7z"}));

struct PlanCase {
    const char* name;
    const char* archive;
    std::optional<const char*> topLevelName;
    std::optional<const char*> customFolder;
    const char* whatToShow;
    const char* destination;
    const char* tested; // "" for no prompt
};

class Plans : public testing::TestWithParam<PlanCase> { };

TEST_P(Plans, GiveTheResultTheDestinationAndTheTestedPath)
{
    const PlanCase& c = GetParam();
    std::optional<QString> name;
    if (c.topLevelName)
        name = QString::fromUtf8(*c.topLevelName);
    std::optional<QString> custom;
    if (c.customFolder)
        custom = QString::fromUtf8(*c.customFolder);
    const DestinationPlan plan = planDestination(QString::fromUtf8(c.archive), name, custom);
    EXPECT_EQ(plan.whatToShow, QString::fromUtf8(c.whatToShow));
    EXPECT_EQ(plan.destination, QString::fromUtf8(c.destination));
    EXPECT_EQ(plan.testedPath, QString::fromUtf8(c.tested));
    EXPECT_EQ(plan.customFolder, c.customFolder.has_value());
    const QStringList expectedArguments {QStringLiteral("x"), QString::fromUtf8(c.archive),
        QStringLiteral("-o") + QString::fromUtf8(c.destination), QStringLiteral("-aoa")};
    EXPECT_EQ(plan.arguments, expectedArguments);
}

INSTANTIATE_TEST_SUITE_P(FourPlans, Plans,
    testing::Values(
        PlanCase {"BesideWithName", "/d/a.zip", "a", std::nullopt, "/d/a", "/d", "/d/a"},
        PlanCase {"BesideNameDiffers", "/d/a.zip", "other", std::nullopt, "/d/other", "/d", "/d/a"},
        PlanCase {"BesideNoName", "/d/a.tar.gz", std::nullopt, std::nullopt, "/d/a.tar", "/d", "/d/a.tar"},
        PlanCase {"CustomWithName", "/d/a.zip", "top", "/out", "/out/top", "/out", "/out/top"},
        PlanCase {"CustomNoName", "/d/a.tar.gz", std::nullopt, "/out dir", "/out dir/a.tar", "/out dir", "/out dir/a.tar"},
        // The archive itself is never offered for replacing.
        PlanCase {"BesideNoExtensionWithName", "/d/archive", "stuff", std::nullopt, "/d/stuff", "/d", "/d/stuff"},
        PlanCase {"BesideNoExtensionNoName", "/d/archive", std::nullopt, std::nullopt, "/d/archive", "/d", ""},
        PlanCase {"BesideNoExtensionSameName", "/d/archive", "archive", std::nullopt, "/d/archive", "/d", ""},
        // A name that would make the destination folder or its parent the result is no item of
        // its own: the entries, which 7-Zip writes without that part, get a folder of their own.
        PlanCase {"AbsoluteFirstEntry", "/d/a.zip", "", std::nullopt, "/d/a", "/d/a", "/d/a"},
        PlanCase {"DotDotFirstEntry", "/d/a.zip", "..", "/out", "/out/a", "/out/a", "/out/a"}),
    [](const testing::TestParamInfo<PlanCase>& info) { return std::string(info.param.name); });

struct ShapeCase {
    const char* name;
    const char* archive;
    const char* topLevelName;
    bool shares;
    bool namesArchive;
    bool namesAsListed;
    std::optional<const char*> customFolder;
    const char* whatToShow; // also the destination when the contents get a folder of their own
    const char* destination;
    QStringList tested;
};

class Shapes : public testing::TestWithParam<ShapeCase> { };

TEST_P(Shapes, NeitherSpillNorOverwriteTheArchiveAndTestWhatTheyReplace)
{
    const ShapeCase& c = GetParam();
    std::optional<QString> custom;
    if (c.customFolder)
        custom = QString::fromUtf8(*c.customFolder);
    const QStringList taken {QStringLiteral("/d/data 2")};
    const DestinationPlan plan = planDestination(QString::fromUtf8(c.archive),
        ListingShape {QString::fromUtf8(c.topLevelName), c.shares, c.namesArchive, c.namesAsListed}, custom,
        [&](const QString& path) { return taken.contains(path); });
    EXPECT_EQ(plan.whatToShow, QString::fromUtf8(c.whatToShow));
    EXPECT_EQ(plan.destination, QString::fromUtf8(c.destination));
    EXPECT_EQ(plan.testedPaths(), c.tested);
    EXPECT_EQ(plan.arguments.at(2), QStringLiteral("-o") + QString::fromUtf8(c.destination));
}

INSTANTIATE_TEST_SUITE_P(ListingShapes, Shapes,
    testing::Values(
        ShapeCase {"OneItemNamedOtherwise", "/d/b.zip", "a", true, false, true, std::nullopt, "/d/a", "/d", {"/d/b", "/d/a"}},
        ShapeCase {"LooseEntries", "/d/bomb.zip", "loose1.txt", false, false, true, std::nullopt, "/d/bomb", "/d/bomb", {"/d/bomb"}},
        ShapeCase {"LooseEntriesInTheCustomFolder", "/d/bomb.zip", "loose1.txt", false, false, true, "/out", "/out/bomb",
            "/out/bomb", {"/out/bomb"}},
        ShapeCase {"LooseEntriesOfAnArchiveWithoutExtension", "/d/data", "x", false, false, true, std::nullopt, "/d/data 3",
            "/d/data 3", {"/d/data 3"}},
        ShapeCase {"EntryNamedLikeTheArchive", "/d/a.zip", "a.zip", true, true, true, std::nullopt, "/d/a", "/d/a", {"/d/a"}},
        ShapeCase {"EntryNamedLikeTheArchiveWithoutExtension", "/d/x/data", "data", true, true, true, std::nullopt,
            "/d/x/data 2", "/d/x/data 2", {"/d/x/data 2"}},
        ShapeCase {"EntryNamedLikeTheArchiveInAnotherFolder", "/d/a.zip", "a.zip", true, true, true, "/out", "/out/a.zip",
            "/out", {"/out/a.zip"}},
        ShapeCase {"EntryNamedLikeTheArchiveInTheCustomFolderThatHoldsIt", "/d/a.zip", "a.zip", true, true, true, "/d",
            "/d/a", "/d/a", {"/d/a"}},
        // Names 7-Zip writes otherwise than it lists: a folder of their own, named without the
        // part number of a split set.
        ShapeCase {"PackageOpenedInside", "/d/x.deb", "data.tar.xz", true, false, false, std::nullopt, "/d/x", "/d/x", {"/d/x"}},
        ShapeCase {"SplitSet", "/d/s.7z.001", "s.7z", false, false, false, std::nullopt, "/d/s", "/d/s", {"/d/s"}},
        // The custom folder above the archive's own folder, named like the item: never that
        // folder, but the first free name beside it.
        ShapeCase {"ItemThatHoldsTheArchive", "/dl/photos/photos.zip", "photos", true, false, true, "/dl",
            "/dl/photos 2", "/dl/photos 2", {"/dl/photos 2"}},
        ShapeCase {"LooseEntriesNamedLikeTheArchivesFolder", "/dl/photos/photos.zip", "x", false, false, true, "/dl",
            "/dl/photos 2", "/dl/photos 2", {"/dl/photos 2"}},
        // Any part of a split set is named after the set's archive, never the archive itself.
        ShapeCase {"LooseEntriesOfASplitSet", "/d/x.7z.002", "a", false, false, true, std::nullopt, "/d/x", "/d/x", {"/d/x"}},
        ShapeCase {"OneItemOfASplitSet", "/d/x.zip.001", "vol", true, false, true, std::nullopt, "/d/vol", "/d", {"/d/x", "/d/vol"}},
        ShapeCase {"LooseEntriesOfARarVolume", "/d/x.part2.rar", "a", false, false, true, "/out", "/out/x", "/out/x", {"/out/x"}}),
    [](const testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace quendle
