// The port choice at start-up while the program has no port selector window: the first Camera
// Link serial library in the folders of CLSERIALPATH, port 0, chosen once.
#pragma once

#include "CCorvel_5Dlg.h"

#include <optional>

/// The first serial library (by name, as the port selector lists them) in the folders of
/// CLSERIALPATH that exports the four serial entries, or none.
std::optional<std::string> FirstSerialLibrary();

class CLibraryPortSelector : public IPortSelector {
public:
    explicit CLibraryPortSelector(std::string library) : library_(std::move(library)) {}
    /// Hands over the library with port 0 the first time; later runs are cancelled.
    bool Run(PortChoice& choice) override;

private:
    std::string library_;
    bool used_ = false;
};
