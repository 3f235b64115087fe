// Fills a ConvertModel from an A2L file read by the A2L engine (library a2l).
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cfgconv/cfginclude.hpp"
#include "cfgconv/model.hpp"

namespace a2l {
class Document;
}

namespace cfgconv {

struct LoadInfo {
    std::size_t bytes = 0;                   // size of the main file
    std::size_t measurements = 0;            // MEASUREMENT objects
    std::size_t instances = 0;               // INSTANCE objects (their signals are measurements)
    std::size_t warnings = 0;                // tolerated problems the engine reported
    std::vector<std::string> firstWarnings;  // up to a few, "file:line:column: ..."
    // Measurements without ECU_ADDRESS placed at the address of their IF_DATA KP_BLOB; known
    // once the measurements have been handed over.
    std::size_t addressesFromIfData = 0;
    // Every file read: the main file and its includes.
    std::vector<std::filesystem::path> files;
};

struct LoadOptions {
    // Characteristics are needed by the compare only; convert skips them (time and memory).
    bool characteristics = true;
};

// Reads `path` and fills *model. On failure returns false and sets *error to
// "file:line:column: message" (or a sentence when there is no position).
bool loadA2l(const std::filesystem::path& path, ConvertModel* model, LoadInfo* info,
             std::string* error, const LoadOptions& options = {});

// For convert: fills *model without measurements or characteristics, then, while the A2L
// document is still open, hands its measurements to `consume` one at a time. Peak memory is
// the document plus what `consume` keeps, not the document plus a full model.
bool streamA2l(const std::filesystem::path& path, ConvertModel* model, LoadInfo* info,
               std::string* error, const std::function<void(MeasurementSource&)>& consume);

// The model of a document already read. Without `consume` the measurements go into
// model->measurements; with it they are handed over one at a time as in streamA2l. `info`,
// when given, gets the counts known only after the measurements (addressesFromIfData).
void fillModel(const a2l::Document& doc, ConvertModel* model, const LoadOptions& options = {},
               const std::function<void(MeasurementSource&)>& consume = nullptr,
               LoadInfo* info = nullptr);

}  // namespace cfgconv
