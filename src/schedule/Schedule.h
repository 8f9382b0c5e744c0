#pragma once

#include "core/FileExistsChoice.h"

#include <QString>

#include <array>

// The schedule the program goes by, as the dialog last saved it.
struct Schedule {
    enum ExistingFiles { Overwrite = 1, Resume = 2, Skip = 3 };

    bool NoSchedule = true;
    QString SchHour = QStringLiteral("1");
    QString SchMinute = QStringLiteral(":00");
    QString SchType = QStringLiteral("AM");
    bool Today = true;
    bool SelectDay = false;
    // By the day of the week, 0 Sunday to 6 Saturday.
    std::array<bool, 7> days {};
    int existingFiles = Overwrite;

    // What a scheduled run does with a file that exists, from the stored choice.
    FileExistsChoice existingFileChoice() const
    {
        return existingFiles == Resume ? FileExistsChoice::Resume
            : existingFiles == Skip    ? FileExistsChoice::Keep
                                       : FileExistsChoice::Overwrite;
    }
};
