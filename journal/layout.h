#pragma once
// Where the journal lives in the game folder:
//
//   <game>\Tamberlin\installs\0001\journal.txt   the records
//                                 \ins.cfg       the script's bytes as installed
//                                 \backup.dat    overwritten files and replaced entries' old data
//                                 \deleted\      files DELETE lines moved away
//   <game>\Tamberlin\installs\0002\...           the next installation

#include <string>
#include <vector>

namespace tamberlin {
class FileSystem;
}

namespace tamberlin::journal {

inline constexpr const char* kJournalFile = "journal.txt";
inline constexpr const char* kScriptCopy = "ins.cfg";
inline constexpr const char* kBackupFile = "backup.dat";
inline constexpr const char* kDeletedFolder = "deleted";

std::string ownFolder(const std::string& saPath);
std::string installsFolder(const std::string& saPath);
/// The folder of installation `number` ("0007"; five digits and more past 9999).
std::string installFolder(const std::string& saPath, unsigned number);
std::string folderName(unsigned number);

/// The numbers of the installation folders, ascending. Other names in the folder are passed over.
std::vector<unsigned> installNumbers(FileSystem& fs, const std::string& saPath);

}  // namespace tamberlin::journal
