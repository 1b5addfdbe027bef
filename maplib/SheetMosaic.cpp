#include "SheetMosaic.h"

#include "MediumPath.h"
#include "SheetCache.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// A mosaic may list mosaics; a file that lists itself (directly or through
// others) must not open without end.
constexpr int MaxNesting = 4;
thread_local int t_nesting = 0;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// One real as "%lf" reads it, independent of the process locale.
bool parseReal(const char*& p, const char* end, double& value) {
    while (p < end && isBlank(*p))
        ++p;
    const char* start = p;
    if (p < end && *p == '+')
        ++p;
    auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc() || (start != p && *p == '-'))
        return false;
    p = next;
    return true;
}

} // namespace

SheetMosaic::~SheetMosaic() {
    SheetCache::instance().removeMosaic(this);
    if (m_reference)
        m_reference->release();
}

SheetMosaic* SheetMosaic::open(const std::string& path) {
    if (t_nesting >= MaxNesting)
        return nullptr;
    ++t_nesting;
    std::unique_ptr<SheetMosaic> mosaic(new SheetMosaic);
    const bool ok = mosaic->parse(path);
    --t_nesting;
    return ok ? mosaic.release() : nullptr;
}

std::string SheetMosaic::sheetPath(const std::string& mosaicPath, const std::string& name) {
    std::string n = name;
    for (char& c : n) {
        if (c == '\\')
            c = '/';
    }
    std::string full;
    if (!n.empty() && n[0] == '/') {
        full = n; // network or drive-relative path: from the root
    } else if (n.size() >= 2 && n[1] == ':') {
        full = n.substr(2);
        if (full.empty() || full[0] != '/')
            full.insert(full.begin(), '/');
    } else {
        const auto slash = mosaicPath.rfind('/');
        const std::string dir = slash == std::string::npos ? std::string() : mosaicPath.substr(0, slash + 1);
        full = dir + n;
    }
    const std::string resolved = MediumPath::resolve(full);
    return resolved.empty() ? full : resolved;
}

bool SheetMosaic::parse(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    // Lines are read in pieces of at most 511 characters, as the files were
    // always read; a longer line continues as a line of its own.
    char line[512];
    bool first = true;
    while (std::fgets(line, sizeof line, file)) {
        const char* p = line;
        const char* end = line + std::strlen(line);
        if (first) {
            first = false;
            if (!parseReal(p, end, m_sheetWidth) || !parseReal(p, end, m_sheetHeight)) {
                std::fclose(file);
                return false;
            }
            continue;
        }
        Sheet sheet;
        if (!parseReal(p, end, sheet.easting) || !parseReal(p, end, sheet.northing))
            continue;
        if (!std::isfinite(sheet.easting) || !std::isfinite(sheet.northing))
            continue;
        while (p < end && isBlank(*p))
            ++p;
        const char* nameEnd = end;
        while (nameEnd > p && isBlank(nameEnd[-1]))
            --nameEnd;
        if (nameEnd == p)
            continue;
        sheet.path = sheetPath(path, std::string(p, nameEnd));
        m_sheets.push_back(std::move(sheet));
    }
    std::fclose(file);
    if (first || m_sheets.empty())
        return false;
    if (!(m_sheetWidth > 0) || !(m_sheetHeight > 0) || !std::isfinite(m_sheetWidth) || !std::isfinite(m_sheetHeight))
        return false;

    double eMin = m_sheets[0].easting, eMax = eMin, nMin = m_sheets[0].northing, nMax = nMin;
    for (const Sheet& s : m_sheets) {
        eMin = std::min(eMin, s.easting);
        eMax = std::max(eMax, s.easting);
        nMin = std::min(nMin, s.northing);
        nMax = std::max(nMax, s.northing);
    }
    const double columns = std::floor((eMax - eMin) / m_sheetWidth) + 1;
    const double rows = std::floor((nMax - nMin) / m_sheetHeight) + 1;
    if (!(columns >= 1 && columns <= 0x7FFFFFFF) || !(rows >= 1 && rows <= 0x7FFFFFFF))
        return false;
    m_columns = int(columns);
    m_rows = int(rows);
    m_eastingMin = eMin;
    m_northingMin = nMin;
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        Sheet& s = m_sheets[i];
        const double c = std::floor((s.easting - eMin) / m_sheetWidth);
        const double r = m_rows - std::floor((s.northing - nMin) / m_sheetHeight) - 1;
        s.column = int(std::clamp(c, 0.0, double(m_columns - 1)));
        s.row = int(std::clamp(r, 0.0, double(m_rows - 1)));
        m_cells.emplace(long(s.column) + long(s.row) * long(m_columns), i);
    }

    for (const Sheet& s : m_sheets) {
        m_reference = ImageSource::open(s.path);
        if (m_reference) {
            m_referenceColumn = s.column;
            m_referenceRow = s.row;
            break;
        }
    }
    if (!m_reference)
        return false;
    const int64_t width = int64_t(m_columns) * m_reference->imageWidth();
    const int64_t height = int64_t(m_rows) * m_reference->imageHeight();
    const int64_t tilesPerRow = int64_t(m_columns) * m_reference->tilesPerRow();
    const int64_t tileRows = int64_t(m_rows) * m_reference->tileRows();
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF || tilesPerRow > 0x7FFFFFFF || tileRows > 0x7FFFFFFF)
        return false;
    m_imageWidth = int32_t(width);
    m_imageHeight = int32_t(height);
    m_header = m_reference->tileHeader();
    m_palette = m_reference->palette();
    m_layers = m_reference->layers();
    m_layerFilter = m_reference->hasLayerFilter();
    m_tileBytes = m_reference->tileBytes();
    m_tileBufferBytes = m_reference->tileBufferBytes();
    m_tilesPerRow = int32_t(tilesPerRow);
    m_tileRows = int32_t(tileRows);
    return true;
}

void SheetMosaic::georefInfo(int& type, int& zone) const {
    type = 1;
    zone = zoneFromReal(m_eastingMin * 0.000001);
}

ImageSource* SheetMosaic::sheetAt(int column, int row) {
    if (column < 0 || row < 0 || column >= m_columns || row >= m_rows)
        return nullptr;
    if (column == m_referenceColumn && row == m_referenceRow)
        return m_reference;
    const long cell = long(column) + long(row) * long(m_columns);
    const auto it = m_cells.find(cell);
    if (it == m_cells.end())
        return nullptr;
    const std::string& sheetPath = m_sheets[it->second].path;
    return SheetCache::instance().sheet(this, cell, [&] { return ImageSource::open(sheetPath); }).sheet;
}

bool SheetMosaic::readTile(int column, int row, uint8_t* target, std::size_t targetLen) {
    std::memset(target, 0, targetLen);
    if (!m_reference || column < 0 || row < 0 || column >= m_tilesPerRow || row >= m_tileRows)
        return false;
    const int sheetTilesPerRow = m_reference->tilesPerRow();
    const int sheetTileRows = m_reference->tileRows();
    ImageSource* sheet = sheetAt(column / sheetTilesPerRow, row / sheetTileRows);
    // A sheet of another tile geometry cannot fill a tile of this mosaic.
    if (!sheet || sheet->tileBufferBytes() > targetLen || sheet->tileWidth() != tileWidth() ||
        sheet->tileHeight() != tileHeight() || sheet->bitCount() != bitCount() ||
        sheet->tilesPerRow() != sheetTilesPerRow || sheet->tileRows() != sheetTileRows)
        return false;
    return sheet->readTile(column % sheetTilesPerRow, row % sheetTileRows, target, targetLen);
}
