// Message boxes and file dialogs. Called from the window's thread and from workers; the
// production implementation carries each call over to the window's thread and waits.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class PromptIcon { None, Stop, Information, Question, Warning };
enum class PromptButtons { Ok, YesNo, OkCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    std::string text;
    std::string title;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
};

struct SaveFileRequest {
    std::string title;
    std::string initialFolder;
    std::string fileName;  // proposed name
    // Asks before a file of the chosen name is replaced.
    bool overwritePrompt = true;
};

// A file the job would replace: Replace, Keep both (the new copy takes a free name), Skip,
// or Cancel, which ends the job as Interrupt does.
enum class ConflictChoice { Replace, KeepBoth, Skip, Cancel };

struct ConflictRequest {
    std::string text;  // names the file, its size and date where known
    std::string title;
    // Off when replacing would make two files of one job one file.
    bool replaceOffered = true;
    // Other files of the job follow: the answer may stand for them too.
    bool moreToCome = false;
};

struct ConflictAnswer {
    ConflictChoice choice = ConflictChoice::Cancel;
    bool forTheRest = false;
};

struct OpenFilesRequest {
    std::string title;
    std::string initialFolder;
};

class Prompts {
  public:
    virtual ~Prompts() = default;
    virtual PromptAnswer MessageBox(const MessageBoxRequest& request) = 0;
    // The chosen full path, or nothing when the user cancelled.
    virtual std::optional<std::string> SaveFile(const SaveFileRequest& request) = 0;
    // The chosen full paths; empty when the user cancelled.
    virtual std::vector<std::string> OpenFiles(const OpenFilesRequest& request) = 0;
    virtual ConflictAnswer AskConflict(const ConflictRequest& request) = 0;

    // Shorthand for the common one-button box.
    void Message(std::string text, std::string title, PromptIcon icon) {
        MessageBox({std::move(text), std::move(title), icon, PromptButtons::Ok});
    }
};

}  // namespace velmora
