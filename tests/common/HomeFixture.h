#pragma once

#include "PicFixture.h"
#include "TestHome.h"

#include <QObject>

#include <optional>

// Test classes whose every test function starts with a fresh temporary home (THomeTest), and
// also with a fresh picture folder (THomeAndPicsTest): a test class inherits one in place of
// QObject and finds the home in FHome.
class THomeTest : public QObject
{
    Q_OBJECT

protected:
    std::optional<TTestHome> FHome;

private Q_SLOTS:
    void init() { FHome.emplace(); }
    void cleanup() { FHome.reset(); }
};

class THomeAndPicsTest : public QObject, protected TPicFixture
{
    Q_OBJECT

protected:
    std::optional<TTestHome> FHome;

private Q_SLOTS:
    void init()
    {
        FHome.emplace();
        NewPicFolder();
    }
    void cleanup()
    {
        RemovePicFolder();
        FHome.reset();
    }
};
