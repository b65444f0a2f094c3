#include "planwerk/picture/open_picture.h"

#include "common/byte_io.h"
#include "planwerk/picture/image_file.h"
#include "planwerk/picture/picture_texts.h"

namespace planwerk {

namespace {

std::string inFolder(const std::string& folder, const char* name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

} // namespace

OpenChoice chooseOpenSource(SourceKind kind, const std::string& workingFolder,
                            const AskQuestion& ask)
{
    OpenChoice choice;
    if (kind == SourceKind::Collage) {
        const std::string path = inFolder(workingFolder, kCollageFile);
        if (common::fileExists(path) && ask && ask(texts::kReuseCollage) == ReuseAnswer::Yes) {
            choice.workingFile = path;
            choice.alreadyTrimmed = true;
        }
    } else if (kind == SourceKind::TrainEdit) {
        const std::string path = inFolder(workingFolder, kTrainEditFile);
        if (common::fileExists(path) && (!ask || ask(texts::kReuseTrainEdit) != ReuseAnswer::No))
            choice.workingFile = path;
        choice.alreadyTrimmed = true;
    }
    return choice;
}

OpenedPicture openPictureFile(const std::string& path, SourceKind kind, bool fromWorkingFolder,
                              int screenWidth, int screenHeight, TrainRectangle& rect)
{
    OpenedPicture opened;
    if (!readImageFile(path, opened.picture)) {
        opened.error = texts::kReadFailed;
        opened.picture = {};
        return opened;
    }
    opened.ok = true;
    opened.display =
        displayScale(opened.picture.width, opened.picture.height, screenWidth, screenHeight);
    if (kind == SourceKind::TrainEdit && fromWorkingFolder)
        loadTrainRectangle(opened.picture, rect);
    return opened;
}

} // namespace planwerk
