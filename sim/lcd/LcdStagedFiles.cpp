#include "sim/lcd/LcdStagedFiles.h"

#include <string>

namespace vx9kr::sim {

void InstallStagedFiles(LcdFileStore& store) {
    for (const LcdFileFamily& family : kLcdFileFamilies) {
        for (const std::string& staged : store.Matching(family.staged)) {
            for (const std::string& older : store.Matching(family.installed))
                store.Remove(older);
            std::string installed = staged;
            installed[2] = family.installed[2];
            store.Rename(staged, installed);
        }
    }
}

}  // namespace vx9kr::sim
