// One archive request as a value: the archive, what its listing showed, the plan made from it
// and the password. The extraction's argument list is built from these whenever it is needed,
// never edited in place.
#pragma once

#include "core/Planning.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace quendle {

struct ExpansionRequest {
    QString archivePath;
    ListingShape shape;                 // what the plan was made from
    DestinationPlan plan;               // whatToShow, the destination, the tested paths
    bool customFolder = false;          // the preferences asked for the custom folder
    std::int32_t amountFiles = 0;       // the progress maximum
    std::optional<QString> password;    // given once the password was accepted
    QString toolPath;                   // set once the run starts: the program it launches

    // "x", the archive, "-o<destination>", "-aoa", then "-p<password>" when there is one; with
    // the tool path in front once the run has started.
    QStringList arguments() const
    {
        QStringList list = plan.arguments;
        if (password)
            list.append(QStringLiteral("-p") + *password);
        if (!toolPath.isEmpty())
            list.prepend(toolPath);
        return list;
    }
};

} // namespace quendle
