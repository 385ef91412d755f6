#pragma once

#include <string>

class QWidget;

// The folder picker: opens at the given folder and, when the operator chooses one, gives it back
// ending with a separator.
class CFolderBrowser {
  public:
    virtual ~CFolderBrowser() = default;
    bool Browse(QWidget* parent, const char* title, std::string& folder);
};
