#pragma once

#include "platform/excel/Application.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/windows/SheetAppView.h"
#include "platform/excel/windows/SheetGridWindow.h"
#include "platform/excel/windows/SheetMainWindow.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/win/Gdi.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTest>
#include <memory>

// An application with its window, open on a workbook, shown at a fixed size on a 96-dpi screen.
struct ShownWorkbook
{
    FakeMessageBox boxes; // an unexpected message box fails the test
    std::shared_ptr<excel::Application> app;
    std::shared_ptr<excel::Workbook> book;

    explicit ShownWorkbook(const QString &file = QString(), QSize size = QSize(900, 600))
    {
        win::setScreenDpi(96);
        excel::SheetWindows::install();
        app = excel::Application::create();
        book = file.isEmpty() ? app->Workbooks()->Add() : app->Workbooks()->Open(file);
        mainWindow()->resize(size);
        app->setVisible(true);
        QCoreApplication::processEvents();
    }
    ~ShownWorkbook()
    {
        app->Quit();
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        excel::SheetWindows::uninstall();
        win::setScreenDpi(0);
    }

    excel::SheetMainWindow *mainWindow() const
    {
        return static_cast<excel::SheetAppView *>(app->windowView())->mainWindow();
    }
    excel::SheetGridWindow *grid() const { return mainWindow()->grid(); }
    std::shared_ptr<excel::Window> window() const { return app->ActiveWindow(); }
    std::shared_ptr<excel::Worksheet> sheet() const { return app->ActiveSheet(); }

    // The window as it shows; saved as <name>.png when QUORVA_SHOT_DIR names a folder.
    QImage shot(const QString &name) const
    {
        QCoreApplication::processEvents();
        const QImage image = mainWindow()->grab().toImage();
        const QString dir = qEnvironmentVariable("QUORVA_SHOT_DIR");
        if (!dir.isEmpty()) image.save(QDir(dir).filePath(name + QStringLiteral(".png")));
        return image;
    }
};

inline QString fixture(const QString &name)
{
    return TestFiles::path(QStringLiteral("platform/excel/windows/tests/fixtures/") + name);
}
