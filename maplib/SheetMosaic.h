#pragma once

#include "ImageSource.h"

#include <map>
#include <string>
#include <vector>

// A text file (.KMO) that lays equal map sheets side by side. The first line
// gives the sheet size in map units ("width height"); every further line an
// easting, a northing (the lower left corner of a sheet) and the sheet's file
// name. The first sheet that opens is the reference sheet: its pixel size is
// the size of every sheet and it stays open with the mosaic; the others are
// opened on demand through SheetCache.
class SheetMosaic : public ImageSource {
public:
    static SheetMosaic* open(const std::string& path);
    ~SheetMosaic() override;

    struct Sheet {
        double easting = 0;
        double northing = 0;
        std::string path; // resolved file name
        int column = 0;
        int row = 0; // row 0 is the northernmost
    };

    // Decodes a tile in the mosaic's tiling: every sheet contributes its own
    // tiles, so column / reference tiles per row is the sheet column.
    bool readTile(int column, int row, uint8_t* target, std::size_t targetLen) override;
    bool isOpen() const override { return m_reference != nullptr; }
    void georefInfo(int& type, int& zone) const override;

    // The sheet in grid cell (column, row): the reference sheet, a sheet from
    // SheetCache, or null for an empty cell, a cell outside the grid or a
    // sheet that does not open. The pointer stays valid until the next call.
    ImageSource* sheetAt(int column, int row);
    ImageSource* referenceSheet() const { return m_reference; }
    int referenceColumn() const { return m_referenceColumn; }
    int referenceRow() const { return m_referenceRow; }

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    double sheetWidth() const { return m_sheetWidth; } // map units
    double sheetHeight() const { return m_sheetHeight; }
    double eastingMin() const { return m_eastingMin; }
    double northingMin() const { return m_northingMin; }
    int sheetPixelWidth() const { return m_reference ? m_reference->imageWidth() : 0; }
    int sheetPixelHeight() const { return m_reference ? m_reference->imageHeight() : 0; }
    const std::vector<Sheet>& sheets() const { return m_sheets; }

    // Turns a sheet name of a mosaic file into a path: names are relative to
    // the mosaic's directory unless they are network paths ("\\server\..."),
    // drive-relative ("\dir\...") or carry a drive ("C:\..."); those are taken
    // from the file system root. Names are looked up case-insensitively.
    static std::string sheetPath(const std::string& mosaicPath, const std::string& name);

private:
    SheetMosaic() = default;
    bool parse(const std::string& path);

    std::vector<Sheet> m_sheets;
    std::map<long, std::size_t> m_cells; // cell index → first sheet listed there
    ImageSource* m_reference = nullptr;
    int m_referenceColumn = 0;
    int m_referenceRow = 0;
    int m_columns = 0;
    int m_rows = 0;
    double m_sheetWidth = 0;
    double m_sheetHeight = 0;
    double m_eastingMin = 0;
    double m_northingMin = 0;
};
