#include "diffview/ClsExcelDraw.h"

#include "core/ClsMap.h"
#include "core/ModCommon.h"
#include "diffview/ModDrawInExcel.h"
#include "platform/excel/Application.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

ClsExcelDraw::ClsExcelDraw() = default;

ClsExcelDraw::~ClsExcelDraw()
{
    release();
}

void ClsExcelDraw::Initialize(std::shared_ptr<excel::Application> app)
{
    m_app = std::move(app);
}

void ClsExcelDraw::BeginDraw()
{
    release();
    if (!m_app) return;
    m_hwnd = m_app->Hwnd();
    if (!m_hwnd) return;
    m_windowDc = win::GetDC(m_hwnd);
    if (!m_windowDc) return;
    win::RECT client;
    win::GetClientRect(m_hwnd, &client);
    m_width = client.right - client.left;
    m_height = client.bottom - client.top;
    m_memDc = win::CreateCompatibleDC(m_windowDc);
    m_bitmap = win::CreateCompatibleBitmap(m_windowDc, m_width, m_height);
    m_oldBitmap = win::SelectObject(m_memDc, m_bitmap);
    win::BitBlt(m_memDc, 0, 0, m_width, m_height, m_windowDc, 0, 0, win::SRCCOPY);
}

void ClsExcelDraw::EndDraw()
{
    if (m_windowDc && m_memDc && m_bitmap)
        win::BitBlt(m_windowDc, 0, 0, m_width, m_height, m_memDc, 0, 0, win::SRCCOPY);
    release();
}

void ClsExcelDraw::release()
{
    if (m_memDc) {
        if (m_oldBitmap) win::SelectObject(m_memDc, m_oldBitmap);
        win::DeleteDC(m_memDc);
    }
    if (m_bitmap) win::DeleteObject(m_bitmap);
    if (m_windowDc) win::ReleaseDC(m_hwnd, m_windowDc);
    m_memDc = m_windowDc = 0;
    m_bitmap = m_oldBitmap = 0;
    m_width = m_height = 0;
}

void ClsExcelDraw::DrawDiffCols(int row, const ClsMap &fieldMap)
{
    fieldMap.GetObject().forEach([&](const QString &key, const QString &) {
        if (key.isEmpty()) return;
        DrawCellInMemDc(row, ModCommon::ParseColumn(key));
    });
}

void ClsExcelDraw::DrawCellInMemDc(int row, int column)
{
    if (!m_memDc) return;
    win::RECT rect; // empty: a cell that is not on screen draws nothing
    ModDrawInExcel::GetCellClientRect(m_app, row, column, rect);
    ModDrawInExcel::DrawEllipseInRect(m_memDc, rect, m_colour);
}
