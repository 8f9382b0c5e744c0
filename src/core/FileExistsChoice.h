#pragma once

// What to do with a target file that is already there: overwrite it, resume
// the download from the bytes it has, or keep it as it is and download nothing.
enum class FileExistsChoice { Overwrite, Resume, Keep };
