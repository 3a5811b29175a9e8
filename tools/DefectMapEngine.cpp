#include "tools/DefectMapEngine.h"

#include "camera/CameraLink.h"
#include "camera/LinkText.h"
#include "platform/ProfileSettings.h"
#include "tools/DownloadFile.h"

#include <algorithm>

namespace dpm {

namespace {

constexpr std::uint32_t kWordsPerPage = flash::kPageBytes / 4;
// A page that was erased and never programmed reads all ones; no defect word is all ones (its
// second pixel would lie past the last column), so it ends a list like 0 does.
constexpr std::uint32_t kErasedWord = 0xFFFFFFFFu;

struct SpaceRow {
    const char* name;
    int sector;
    int firstPage, endPage;
    int largeFirstPage, largeEndPage;
    int bottomUpPage;
};

constexpr SpaceRow kSpaces[kSpaceCount] = {
    {"BPM Factory Space", 10, 0, 128, 0, 128, 64},
    {"BPM User Space", 10, 128, 256, 128, 256, 192},
    {"DPM Factory Space", 9, 0, 32, 0, 32, 16},
    {"DPM User Space", 9, 32, 64, 32, 64, 48},
    {"FFC X Factory Space", 11, 0, 64, 0, 128, -1},
    {"FFC Y Factory Space", 11, 64, 128, 128, 192, -1},
    {"FFC X User Space", 12, 0, 64, 0, 128, -1},
    {"FFC Y User Space", 12, 64, 128, 128, 192, -1},
    {"AFE Space", 13, 0, 256, 0, 256, -1},
};

std::uint32_t WordAt(const std::vector<std::uint8_t>& bytes, std::uint32_t offset)
{
    return download::FlashWordAt(bytes, offset);
}

std::string Number(long long value) { return camera::FormatText("%lld", value); }

}  // namespace

std::optional<SpaceInfo> SpaceOf(int code, bool largeSensor)
{
    if (code < 0 || code >= kSpaceCount)
        return std::nullopt;
    const SpaceRow& row = kSpaces[code];
    return SpaceInfo{row.name, row.sector, largeSensor ? row.largeFirstPage : row.firstPage,
                     largeSensor ? row.largeEndPage : row.endPage, row.bottomUpPage};
}

bool IsDefectSpace(int code) { return code >= kBpmFactory && code <= kDpmUser; }

bool IsFlatFieldSpace(int code) { return code >= kFfcXFactory && code <= kFfcYUser; }

std::string FormatListFile(const std::vector<ListRow>& rows)
{
    const std::string header = std::string(defect::kDefectTableComment) + "\r\n";
    std::string text = header + defect::kTableTag + "\r\n";
    for (const ListRow& row : rows) {
        if (row[1] == kSeparatorMark)
            text += header + defect::kBottomUpTag + "\r\n";
        else
            text += row[1] + "," + row[2] + "," + row[3] + "\r\n";
    }
    return text;
}

bool SaveListFile(const std::string& path, const std::vector<ListRow>& rows, std::string* error)
{
    return platform::WriteFileAtomically(path, FormatListFile(rows), error);
}

std::string PixelOutOfRangeText(long long x, long long y, bool largeSensor)
{
    return camera::FormatText("Pixel %lld,%lld is outside the sensor's defect map (columns 1..%u, rows 1..%u).", x, y,
                              defect::MaxColumn(largeSensor), defect::kMaxRow);
}

const char* SaveFilterOf(int code)
{
    if (code == kBpmFactory || code == kBpmUser)
        return "Bad Pixels Map File(*.bcm)|*.bcm||";
    if (code == kDpmFactory || code == kDpmUser)
        return "Dead Pixels Map File(*.dcm)|*.dcm||";
    return "Text File(*.txt)|*.txt||";
}

DefectMapEngine::DefectMapEngine(CCameraLink& link, bool largeSensor, platform::IClock* clock)
    : m_link(link), m_flash(link, clock), m_large(largeSensor)
{
}

std::string DefectMapEngine::SpaceName() const
{
    const auto space = SpaceOf(m_space, m_large);
    return space ? space->name : "";
}

void DefectMapEngine::AddError(const std::string& text)
{
    if (!m_error.empty())
        m_error += "\n";
    m_error += text;
}

bool DefectMapEngine::StartRead(int code)
{
    return BeginRead(code, false);
}

bool DefectMapEngine::BeginRead(int code, bool keepError)
{
    const auto space = SpaceOf(code, m_large);
    if (!space || Busy())
        return false;
    if (!keepError)
        m_error.clear();
    m_space = code;
    m_rows.clear();
    m_entries = 0;
    ++m_rowsGeneration;
    SetWait("Preparing to read. Wait please");
    m_page = space->firstPage;
    m_endPage = space->endPage;
    m_pagesRead = 0;
    m_progressPos = 0;
    m_progressMax = space->endPage - space->firstPage;
    m_inBottomUp = m_jumped = m_separatorShown = false;
    m_readComplete = false;
    m_afeSection = -1;
    m_afeNumber = 0;
    if (IsDefectSpace(code)) {
        m_topDown.clear();
        m_bottomUp.clear();
    }
    if (!m_flash.SetSupervisorMode(true)) {
        // Nothing was read; supervisor mode was never entered, so it is not left either.
        AddError(camera::FormatText("Reading of %s failed: %s", space->name, m_flash.LastError().c_str()));
        m_phase = Phase::Idle;
        return true;
    }
    m_phase = Phase::Reading;
    return true;
}

void DefectMapEngine::CancelRead()
{
    if (m_phase == Phase::Reading)
        Finish("");
}

void DefectMapEngine::Tick()
{
    switch (m_phase) {
    case Phase::Idle:
        return;
    case Phase::Reading:
        if (IsDefectSpace(m_space))
            ReadDefectPage();
        else if (IsFlatFieldSpace(m_space))
            ReadFlatFieldPage();
        else
            ReadAfePage();
        return;
    case Phase::ReadingBack:
        ReadBackPage();
        return;
    case Phase::Erasing:
        Erase();
        return;
    case Phase::ProgrammingSpace:
    case Phase::ProgrammingOther:
        ProgramPage();
        return;
    }
}

void DefectMapEngine::Finish(const std::string& error)
{
    if (!error.empty())
        AddError(error);
    if (!m_flash.SetSupervisorMode(false) && error.empty())
        AddError("Leaving supervisor mode failed: " + m_flash.LastError());
    m_phase = Phase::Idle;
    m_progressPos = m_progressMax;
}

void DefectMapEngine::FinishComplete()
{
    Finish("");
    m_readComplete = true;
}

void DefectMapEngine::AddPixelRow(const defect::Pixel& pixel, int number)
{
    m_rows.push_back({Number(number), Number(pixel.column), Number(pixel.row), Number(pixel.width)});
    ++m_entries;
}

std::string DefectMapEngine::PageFailure(const SpaceInfo& space) const
{
    return camera::FormatText("Reading of %s stopped at page #%d: %s", space.name, m_page, m_flash.LastError().c_str());
}

bool DefectMapEngine::ReadCurrentPage(const SpaceInfo& space, std::vector<std::uint8_t>& page)
{
    page.assign(flash::kPageBytes, 0);
    const std::uint32_t start = static_cast<std::uint32_t>(m_page) * flash::kPageBytes;
    if (!m_flash.ReadFlashWords(space.sector, page.data(), start, start + flash::kPageBytes)) {
        Finish(PageFailure(space));
        return false;
    }
    ++m_pagesRead;
    m_progressPos = m_page - space.firstPage + 1;
    return true;
}

void DefectMapEngine::ReadDefectPage()
{
    const SpaceInfo space = *SpaceOf(m_space, m_large);
    if (m_page >= m_endPage) {
        FinishComplete();
        return;
    }
    SetWait(camera::FormatText("Reading of %s. Page#%d.\n Wait please", space.name, m_pagesRead));
    if (m_large && m_page == space.bottomUpPage && !m_inBottomUp) {
        // A zero word just before the bottom-up page ends the top-down list there, so the
        // bottom-up list starts at this page.
        std::vector<std::uint8_t> before(4);
        const std::uint32_t start = static_cast<std::uint32_t>(m_page) * flash::kPageBytes;
        if (!m_flash.ReadFlashWords(space.sector, before.data(), start - 4, start)) {
            Finish(PageFailure(space));
            return;
        }
        if (WordAt(before, 0) == 0) {
            m_inBottomUp = true;
        } else if (m_jumped) {
            // The top-down list ended early, yet runs into the bottom-up area: no bottom-up list.
            FinishComplete();
            return;
        }
    }
    std::vector<std::uint8_t> page;
    if (!ReadCurrentPage(space, page))
        return;
    const std::uint32_t mask = defect::ColumnMask(m_large);
    for (std::uint32_t i = 0; i < kWordsPerPage; ++i) {
        const std::uint32_t word = WordAt(page, i * 4);
        if (word == 0 || word == kErasedWord) {
            // The end of the top-down list leads once, and only forward, to the bottom-up page.
            if (!m_large || m_inBottomUp || m_jumped || m_page >= space.bottomUpPage) {
                FinishComplete();
            } else {
                m_jumped = true;
                m_page = space.bottomUpPage;
            }
            return;
        }
        // Rows are numbered by the word's place in the space, from 1.
        const int number = (m_page - space.firstPage) * static_cast<int>(kWordsPerPage) + static_cast<int>(i) + 1;
        for (const defect::Pixel& pixel : defect::DecodeDefectWord(word, mask)) {
            if (m_inBottomUp && !m_separatorShown) {
                m_rows.push_back({kSeparatorName, kSeparatorMark, kSeparatorMark, kSeparatorMark});
                m_separatorShown = true;
            }
            (m_inBottomUp ? m_bottomUp : m_topDown)[pixel.row][pixel.column] = pixel.width;
            AddPixelRow(pixel, number);
        }
    }
    ++m_page;
}

void DefectMapEngine::ReadFlatFieldPage()
{
    const SpaceInfo space = *SpaceOf(m_space, m_large);
    if (m_page >= m_endPage) {
        Finish("");
        return;
    }
    SetWait(camera::FormatText("Reading of %s. Page#%d.\n Wait please", space.name, m_pagesRead));
    std::vector<std::uint8_t> page;
    if (!ReadCurrentPage(space, page))
        return;
    for (std::uint32_t i = 0; i < kWordsPerPage; ++i) {
        const std::uint32_t word = WordAt(page, i * 4);
        if (word == 0) {
            Finish("");
            return;
        }
        m_rows.push_back({Number(static_cast<long long>(m_rows.size()) + 1), Number(word), "", ""});
        ++m_entries;
    }
    ++m_page;
}

void DefectMapEngine::ReadAfePage()
{
    const SpaceInfo space = *SpaceOf(m_space, m_large);
    if (m_page >= m_endPage) {
        Finish("");
        return;
    }
    SetWait(camera::FormatText("Reading of AFE Sector. Page#%d.\n Wait please", m_page));
    const std::uint32_t start = static_cast<std::uint32_t>(m_page) * flash::kPageBytes;
    std::vector<std::uint8_t> page;
    if (!ReadCurrentPage(space, page))
        return;
    const int slice = m_page / kAfeSlicePages;
    for (std::uint32_t i = 0; i < kWordsPerPage; ++i) {
        const std::uint32_t word = WordAt(page, i * 4);
        if (word == kErasedWord) {
            Finish("");
            return;
        }
        if (word == 0) {
            // The rest of this slice is unused; the next slice is the next section.
            m_page = (slice + 1) * kAfeSlicePages;
            return;
        }
        if (slice != m_afeSection) {
            if (m_afeSection >= 0)
                m_rows.push_back({"", "", "", ""});
            const std::string name = camera::FormatText("%s%d", slice % 2 ? "AFE_N" : "AFE_D", slice / 2 + 1);
            m_rows.push_back({name, name, name, ""});
            m_afeSection = slice;
            m_afeNumber = 0;
        }
        ++m_afeNumber;
        m_rows.push_back({camera::FormatText("%d(0x%04X)", m_afeNumber, start + i * 4),
                          camera::FormatText("%04x", word >> 16), camera::FormatText("%04x", word & 0xFFFFu), ""});
        ++m_entries;
    }
    ++m_page;
}

AddResult DefectMapEngine::StartAdd(std::uint32_t x, std::uint32_t y)
{
    if (Busy())
        return AddResult::Busy;
    if (!IsDefectSpace(m_space))
        return AddResult::NotDefectSpace;
    m_error.clear();
    if (x < 1 || x > defect::MaxColumn(m_large) || y < 1 || y > defect::kMaxRow) {
        m_error = PixelOutOfRangeText(x, y, m_large);
        return AddResult::OutOfRange;
    }
    if (!m_readComplete) {
        m_error = camera::FormatText("The pixel was not added: the list of %s was not read completely, and writing "
                                     "it back would lose the pixels not read. Read the space again first.",
                                     SpaceName().c_str());
        return AddResult::ListIncomplete;
    }
    if (const auto row = m_topDown.find(y); row != m_topDown.end() && row->second.count(x))
        return AddResult::AlreadyListed;

    bool toBottomUp = false;
    if (m_large && !m_bottomUp.empty()) {
        // Pixels in the lower half of the frame belong to the bottom-up list.
        std::int64_t frameHeight = 0;
        // A height of 0 is no height: it would send every pixel to the bottom-up list.
        if (m_link.GetParamInt("VerFrameSizeMax", &frameHeight) != 0 || frameHeight <= 0) {
            m_error = "The pixel was not added: the camera's frame height (VerFrameSizeMax) could not be read or reads 0, so "
                      "the list it belongs to is unknown.";
            return AddResult::FrameSizeUnknown;
        }
        toBottomUp = (static_cast<std::uint32_t>(frameHeight) >> 1) < y;
    }
    defect::PixelMap topDown = m_topDown;
    defect::PixelMap bottomUp = m_bottomUp;
    (toBottomUp ? bottomUp : topDown)[y].try_emplace(x, 1u);

    const SpaceInfo space = *SpaceOf(m_space, m_large);
    m_layout = defect::LayoutOf(static_cast<defect::Space>(m_space));
    m_buffer.assign(m_layout.sectorLength, 0);
    if (auto reason = defect::PlaceDefectLists(m_layout, defect::EncodeDefectMap(topDown),
                                               defect::EncodeDefectMap(bottomUp), m_buffer)) {
        m_buffer.clear();
        m_error = "The pixel was not added, the camera was left as it is: " + *reason + ".";
        return AddResult::ListFull;
    }
    m_topDown = std::move(topDown);
    m_bottomUp = std::move(bottomUp);

    if (!m_flash.SetSupervisorMode(true)) {
        m_buffer.clear();
        AddError(camera::FormatText("The pixel was not added to %s: %s", space.name, m_flash.LastError().c_str()));
        BeginRead(m_space, true);
        return AddResult::Started;
    }
    SetAddingWait();
    const SpaceInfo other = *SpaceOf(m_space ^ 1, m_large);
    m_otherFirst = other.firstPage;
    m_otherEnd = other.endPage;
    m_otherBottomUp = other.bottomUpPage;
    m_readBackJumped = false;
    m_ownSpaceChecked = false;
    m_stepFailing = false;
    m_eraseStarted = false;
    m_page = m_otherFirst;
    const int spacePages = space.endPage - space.firstPage;
    const int otherPages = other.endPage - other.firstPage;
    m_progressPos = 0;
    m_progressMax = otherPages + 1 + spacePages + otherPages;
    m_phase = Phase::ReadingBack;
    return AddResult::Started;
}

bool DefectMapEngine::SpaceHoldsHiddenList()
{
    const SpaceInfo space = *SpaceOf(m_space, m_large);
    // The word before the bottom-up page ends a top-down list there, and a list follows it.
    const std::uint32_t start = static_cast<std::uint32_t>(space.bottomUpPage) * flash::kPageBytes;
    std::vector<std::uint8_t> words(8);
    if (!m_flash.ReadFlashWords(m_layout.sector, words.data(), start - 4, start + 4)) {
        FinishAdd(camera::FormatText("The pixel was not added: reading page #%d of %s failed (%s). Nothing was erased.",
                                     space.bottomUpPage, space.name, m_flash.LastError().c_str()));
        return true;
    }
    const std::uint32_t after = WordAt(words, 4);
    if (WordAt(words, 0) != 0 || after == 0 || after == kErasedWord)
        return false;
    FinishAdd(camera::FormatText("The pixel was not added: %s holds a bottom-up list from page #%d, which is not shown "
                                 "on this configuration, and writing the space would lose it. Nothing was erased.",
                                 space.name, space.bottomUpPage));
    return true;
}

void DefectMapEngine::ReadBackPage()
{
    if (!m_large && !m_ownSpaceChecked) {
        // The space is written from the list: a bottom-up list the list does not show (the
        // download terminal writes one on more configurations) would be lost.
        m_ownSpaceChecked = true;
        if (SpaceHoldsHiddenList())
            return;
    }
    if (m_page >= m_otherEnd) {
        m_phase = Phase::Erasing;
        return;
    }
    const std::uint32_t start = static_cast<std::uint32_t>(m_page) * flash::kPageBytes;
    if (!m_flash.ReadFlashWords(m_layout.sector, m_buffer.data() + start, start, start + flash::kPageBytes)) {
        FinishAdd(camera::FormatText("The pixel was not added: reading back page #%d of the other list failed (%s). "
                                     "Nothing was erased.",
                                     m_page, m_flash.LastError().c_str()));
        return;
    }
    m_progressPos = m_page - m_otherFirst + 1;
    const std::uint32_t first = WordAt(m_buffer, start);
    if (first == 0 || first == kErasedWord) {
        // The list ends on this page. A bottom-up list may follow, once and only further on;
        // it is kept even where this editor shows none (the download terminal writes one on
        // more configurations than this editor counts as large). Pages not read stay 0.
        if (m_readBackJumped || m_page >= m_otherBottomUp) {
            m_phase = Phase::Erasing;
        } else {
            m_readBackJumped = true;
            m_page = m_otherBottomUp;
        }
        return;
    }
    ++m_page;
}

void DefectMapEngine::Erase()
{
    // The erase goes in steps, one status poll per tick, so the window keeps repainting.
    flash::FlashAccess::EraseProgress progress = flash::FlashAccess::EraseProgress::Busy;
    // After a lost answer the erase is sent again, in supervisor mode again: the camera may
    // have restarted meanwhile.
    if (!m_eraseStarted || m_stepFailing) {
        if (!m_eraseStarted)
            m_progressPos = m_otherEnd - m_otherFirst;
        m_eraseStarted = true;
        if ((m_stepFailing && !m_flash.SetSupervisorMode(true)) || !m_flash.StartErase(m_layout.sector))
            progress = flash::FlashAccess::EraseProgress::Failed;
    } else {
        progress = m_flash.PollErase();
    }
    if (progress == flash::FlashAccess::EraseProgress::Failed && m_flash.NoAnswer()) {
        // What the camera did with the erase is unknown, and both lists are held only here:
        // the erase is tried again until the camera answers, or the operator gives it up.
        m_stepFailing = true;
        m_stepError = m_flash.LastError();
        SetWait(camera::FormatText("Erasing %s failed (%s).\nTrying again; Close gives it up.",
                                   flash::SectorName(m_layout.sector), m_stepError.c_str()));
        return;
    }
    if (m_stepFailing && progress != flash::FlashAccess::EraseProgress::Failed) {
        m_stepFailing = false;
        SetAddingWait();
    }
    if (progress == flash::FlashAccess::EraseProgress::Busy)
        return;
    if (progress == flash::FlashAccess::EraseProgress::Failed) {
        FinishAdd(camera::FormatText("The pixel was not added: erasing %s failed (%s). Nothing was programmed.",
                                     flash::SectorName(m_layout.sector), m_flash.LastError().c_str()));
        return;
    }
    const SpaceInfo space = *SpaceOf(m_space, m_large);
    ++m_progressPos;
    m_phase = Phase::ProgrammingSpace;
    m_page = space.firstPage;
    m_programEnd = space.endPage;
}

void DefectMapEngine::ProgramPage()
{
    if (m_page >= m_programEnd) {
        if (m_phase == Phase::ProgrammingOther) {
            FinishAdd("");
            return;
        }
        m_phase = Phase::ProgrammingOther;
        m_page = m_otherFirst;
        m_programEnd = m_otherEnd;
        return;
    }
    const std::uint32_t start = static_cast<std::uint32_t>(m_page) * flash::kPageBytes;
    // Supervisor mode again after a failure: the camera may have restarted meanwhile.
    if ((m_stepFailing && !m_flash.SetSupervisorMode(true)) ||
        !m_flash.WriteFlashPage(m_layout.sector, m_page, m_buffer.data() + start)) {
        // The lists of both halves are held only here now: the page is tried again until the
        // camera takes it, or the operator gives it up (GiveUpFailingStep).
        m_stepFailing = true;
        m_stepError = m_flash.LastError();
        SetWait(camera::FormatText("Programming page #%d of %s failed (%s).\nTrying again; Close gives it up.", m_page,
                                   flash::SectorName(m_layout.sector), m_stepError.c_str()));
        return;
    }
    if (m_stepFailing) {
        m_stepFailing = false;
        SetAddingWait();
    }
    ++m_progressPos;
    ++m_page;
}

void DefectMapEngine::SetAddingWait()
{
    SetWait(camera::FormatText("Adding the bad pixel to %s.\nWait please...", SpaceName().c_str()));
}

std::string DefectMapEngine::FailingText() const
{
    if (!m_stepFailing)
        return {};
    if (m_phase == Phase::Erasing)
        return camera::FormatText("Erasing %s failed (%s): the sector may be partly erased. Giving up loses the lists of "
                                  "both spaces, held only here.",
                                  flash::SectorName(m_layout.sector), m_stepError.c_str());
    const bool own = m_phase == Phase::ProgrammingSpace;
    std::string text = camera::FormatText("Programming page #%d of %s failed (%s): pages %d-%d of %s", m_page,
                                          flash::SectorName(m_layout.sector), m_stepError.c_str(), m_page,
                                          m_programEnd - 1, own ? "this space" : "the other space");
    if (own)
        text += camera::FormatText(" (the other space, pages %d-%d, is programmed after them)", m_otherFirst,
                                   m_otherEnd - 1);
    return text + (own ? " are not written yet. Giving them up goes on with the other space."
                       : " are not written yet. Giving them up loses them.");
}

void DefectMapEngine::GiveUpFailingStep()
{
    if (!m_stepFailing)
        return;
    m_stepFailing = false;
    if (m_phase == Phase::Erasing) {
        FinishAdd(camera::FormatText("The pixel was not added: erasing %s failed (%s) and was given up; the sector may "
                                     "be partly erased.",
                                     flash::SectorName(m_layout.sector), m_stepError.c_str()));
        return;
    }
    const bool own = m_phase == Phase::ProgrammingSpace;
    AddError(camera::FormatText("Programming page #%d of %s failed (%s); pages %d-%d of %s were given up.", m_page,
                                flash::SectorName(m_layout.sector), m_stepError.c_str(), m_page, m_programEnd - 1,
                                own ? "this space" : "the other space"));
    SetAddingWait();
    // The other half is programmed all the same, so its list survives a failure here.
    m_page = m_programEnd;
}

void DefectMapEngine::FinishAdd(const std::string& error)
{
    if (!error.empty())
        AddError(error);
    if (!m_flash.SetSupervisorMode(false) && error.empty())
        AddError("Leaving supervisor mode failed: " + m_flash.LastError());
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_phase = Phase::Idle;
    BeginRead(m_space, true);
}

}  // namespace dpm
