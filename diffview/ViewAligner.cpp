#include "diffview/ViewAligner.h"

#include "diffview/ClsResultParser.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsTxtCompareResult.h"

ViewAligner::ViewAligner() : m_parser(std::make_unique<ClsResultParser>()) {}

ViewAligner::~ViewAligner() = default;

int ViewAligner::align(const std::shared_ptr<ClsComparePair> &pair, QList<int> &rows)
{
    rows.clear();
    if (!pair || !pair->GetTxtRecorder()) return -1;
    ClsTxtCompareResult &recorder = *pair->GetTxtRecorder();
    m_parser->SetPair(pair);
    m_parser->InitDiffObj(recorder.GetResult());
    m_parser->InitLeft(recorder.GetLeftSingleRows(), pair->GetLeftSheet());
    m_parser->InitRight(recorder.GetRightSingleRows(), pair->GetRightSheet());
    m_parser->Deal();
    return m_parser->CreateDiffArray(rows);
}

void ViewAligner::deleteAddedRows(bool left)
{
    if (left)
        m_parser->DeleteLeftAddedEmptyRows();
    else
        m_parser->DeleteRightAddedEmptyRows();
}

void ViewAligner::putBackAddedRows(bool left)
{
    if (left)
        m_parser->PutBackLeftAddedEmptyRows();
    else
        m_parser->PutBackRightAddedEmptyRows();
}

void ViewAligner::sheetChanged(bool left, const excel::Range &target)
{
    if (left)
        m_parser->On_LeftSheet_Change(target);
    else
        m_parser->On_RightSheet_Change(target);
}

void ViewAligner::markCellRed(bool left, int row, int column)
{
    // The aligner keeps the cell's own colour and gives it back before the side is saved.
    if (left)
        m_parser->markLeftCellRed(row, column);
    else
        m_parser->markRightCellRed(row, column);
}
