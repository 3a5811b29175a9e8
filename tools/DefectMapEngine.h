// The bad pixel map editor's engine: reads one space of the camera's parameter flash (a defect
// list, a flat-field table or the AFE image) into the rows of the editor's list, adds one
// defective pixel to a defect space (the other half of the sector is read back, both lists are
// encoded, the sector is erased and every page programmed again, then the space is read anew)
// and writes the list as a defect table file. Work goes one flash page per Tick(), so the
// window that drives it keeps repainting and shows the progress. No Qt.
#pragma once

#include "tools/DefectWord.h"
#include "tools/FlashAccess.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CCameraLink;

namespace dpm {

/// The space codes: the item data of the editor's map-type box.
enum SpaceCode : int {
    kBpmFactory = 0,
    kBpmUser = 1,
    kDpmFactory = 2,
    kDpmUser = 3,
    kFfcXFactory = 4,
    kFfcYFactory = 5,
    kFfcXUser = 6,
    kFfcYUser = 7,
    kAfe = 8,
};
inline constexpr int kSpaceCount = 9;

struct SpaceInfo {
    const char* name;
    int sector;
    int firstPage;
    int endPage;        ///< one past the last page read
    int bottomUpPage;   ///< -1: the space has no bottom-up list
};

/// The space of a code on a sensor of that size (a large sensor's flat-field tables are
/// longer); nullopt out of range.
std::optional<SpaceInfo> SpaceOf(int code, bool largeSensor);
bool IsDefectSpace(int code);  ///< 0..3
bool IsFlatFieldSpace(int code);  ///< 4..7

/// One row of the list: the texts of its four columns "Num", "X ", "Y ", "C ".
using ListRow = std::array<std::string, 4>;

/// The texts of the separator row that opens the bottom-up list.
inline constexpr const char* kSeparatorName = "BottomUp";
inline constexpr const char* kSeparatorMark = "====";

/// Pages the AFE image is divided into, one section each.
inline constexpr int kAfeSlicePages = 32;

/// The file text of a list: the comment and ":Table" line, then one "X,Y,C" line per row (CR
/// LF ends); the separator row gives the comment and ":Table_BottomUp" instead. A defect
/// space's text is a defect table the download terminal takes again.
std::string FormatListFile(const std::vector<ListRow>& rows);

/// Writes FormatListFile(rows) to `path` through a temporary file, so an existing file is
/// either replaced whole or left as it was. False with the reason in `error`.
bool SaveListFile(const std::string& path, const std::vector<ListRow>& rows, std::string* error);

/// Why a pixel cannot be added: its column or row lies outside what a defect word carries on
/// the sensor (columns 1..8191, 1..16383 on a large one; rows 1..8191).
std::string PixelOutOfRangeText(long long x, long long y, bool largeSensor);

/// The save dialog's filter for a space (".bcm", ".dcm" or ".txt").
const char* SaveFilterOf(int code);

enum class Phase { Idle, Reading, ReadingBack, Erasing, ProgrammingSpace, ProgrammingOther };

/// What StartAdd did with the pixel.
enum class AddResult {
    Started,          ///< the pixel is being written; a read of the space follows
    AlreadyListed,    ///< the top-down list holds it already: nothing to do
    NotDefectSpace,   ///< the current space is no defect list
    Busy,
    OutOfRange,       ///< column or row outside what a defect word carries
    FrameSizeUnknown, ///< the bottom-up rule needs "VerFrameSizeMax", which could not be read (or read 0)
    ListFull,         ///< the lists would no longer fit their areas
    ListIncomplete,   ///< the last read of the space failed or was stopped: writing would lose pixels
};

class DefectMapEngine {
public:
    /// The link must outlive the engine; `largeSensor` selects the 14-bit column field, the
    /// bottom-up lists and the larger flat-field ranges; `clock` (null: the real one) paces
    /// the erase polls.
    DefectMapEngine(CCameraLink& link, bool largeSensor, platform::IClock* clock = nullptr);

    /// Empties the list and starts reading space `code`. False while busy or for an unknown code.
    bool StartRead(int code);
    /// Adds the pixel (column x, row y) to the current defect space; see AddResult. The reason
    /// of a refusal is in LastError().
    AddResult StartAdd(std::uint32_t x, std::uint32_t y);
    /// One step: one page read, read back or programmed, or the erase.
    void Tick();
    /// Stops a read between pages (a write runs to its end: an interrupted sector loses data).
    void CancelRead();
    /// The camera did not answer the erase, or did not take the last page programmed: each
    /// Tick tries it again.
    bool StepFailing() const { return m_stepFailing && Busy(); }
    /// What a failing step holds back, for the question before giving it up ("" else).
    std::string FailingText() const;
    /// Gives up the failing step (LastError says what): a failing erase ends the add; a
    /// failing page is skipped with the rest of its half, and the other half still programmed.
    void GiveUpFailingStep();

    bool Busy() const { return m_phase != Phase::Idle; }
    /// The last read of the space went to its end: the rows are all the space holds.
    bool ReadComplete() const { return m_readComplete; }
    Phase CurrentPhase() const { return m_phase; }
    int Space() const { return m_space; }
    bool LargeSensor() const { return m_large; }

    const std::vector<ListRow>& Rows() const { return m_rows; }
    /// What the rows hold of the camera's flash: pixels, flat-field values or AFE words (the
    /// separator, section and empty rows aside).
    int EntriesRead() const { return m_entries; }
    /// Counts the times the rows were emptied for a new read: rows already shown are stale
    /// when it changed.
    int RowsGeneration() const { return m_rowsGeneration; }
    const defect::PixelMap& TopDown() const { return m_topDown; }
    const defect::PixelMap& BottomUp() const { return m_bottomUp; }

    /// The wait text of the running step ("Reading of %s. Page#%d.\n Wait please" and the like).
    const std::string& WaitText() const { return m_waitText; }
    int ProgressPos() const { return m_progressPos; }
    int ProgressMax() const { return m_progressMax; }

    /// Why the last read or add failed ("" when it went through); kept until the next start.
    const std::string& LastError() const { return m_error; }

private:
    /// Starts reading the space; `keepError` keeps the failure of the add that came before.
    bool BeginRead(int code, bool keepError);
    /// Reads page m_page of the space into `page`; on failure ends the read with the reason.
    bool ReadCurrentPage(const SpaceInfo& space, std::vector<std::uint8_t>& page);
    std::string PageFailure(const SpaceInfo& space) const;
    void ReadDefectPage();
    void ReadFlatFieldPage();
    void ReadAfePage();
    void ReadBackPage();
    /// On a sensor not counted large: true (and the add ended) when the space's flash holds a
    /// bottom-up list, or the check failed.
    bool SpaceHoldsHiddenList();
    void Erase();
    void ProgramPage();
    /// Ends the running phase: leaves supervisor mode, records `error` (if any).
    void Finish(const std::string& error);
    /// A defect list read to its end: only such a list may be written back.
    void FinishComplete();
    /// Ends the add (leaves supervisor mode, frees the buffer) and reads the space again.
    void FinishAdd(const std::string& error);
    void AddError(const std::string& text);
    std::string SpaceName() const;
    void SetWait(std::string text) { m_waitText = std::move(text); }
    void SetAddingWait();
    void AddPixelRow(const defect::Pixel& pixel, int number);

    CCameraLink& m_link;
    flash::FlashAccess m_flash;
    bool m_large;
    Phase m_phase = Phase::Idle;
    int m_space = -1;
    std::vector<ListRow> m_rows;
    int m_entries = 0;
    int m_rowsGeneration = 0;
    defect::PixelMap m_topDown, m_bottomUp;
    std::string m_waitText, m_error;
    int m_progressPos = 0, m_progressMax = 0;

    // Reading.
    int m_page = 0, m_endPage = 0;
    int m_pagesRead = 0;
    bool m_inBottomUp = false;
    bool m_jumped = false;
    bool m_separatorShown = false;
    bool m_readComplete = false;
    int m_afeSection = -1;      ///< slice whose section row is shown; -1 none yet
    int m_afeNumber = 0;        ///< words of the current section so far

    // Adding.
    defect::SpaceLayout m_layout;
    std::vector<std::uint8_t> m_buffer;
    int m_otherFirst = 0, m_otherEnd = 0, m_otherBottomUp = 0;
    bool m_readBackJumped = false;
    bool m_ownSpaceChecked = false;
    bool m_stepFailing = false;  ///< the erase, or the page at m_page, was not taken: tried again
    std::string m_stepError;
    bool m_eraseStarted = false;
    int m_programEnd = 0;
};

}  // namespace dpm
