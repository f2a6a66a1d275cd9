#include "session.h"

#include "result_writer.h"
#include "transforms.h"

namespace ravo {

Session::Session(const Services& services)
    : sv_(services),
      store(services.messages),
      layouter_(layout, gins, store, header, sv_.fs, sv_.fmt, sv_.codec, sv_.messages) {}

bool Session::runShowSteps(const std::u16string& exeDir) {
    strExeDir = exeDir;
    if (!strExeDir.empty() && strExeDir.back() != u'\\' && strExeDir.back() != u'/') strExeDir.push_back(u'\\');
    strInFile = strExeDir + u"temp.txt";
    strOutFile = strExeDir + u"jwc_temp.txt";
    if (sv_.fs.fileExists(strOutFile)) truncateFile(sv_.fs, strOutFile);
    if (!sv_.fs.fileExists(strInFile)) return false;
    try {
        GaibuReader(header, store, sv_.fmt, sv_.codec, gins.nGinResult).readGaibuFile(sv_.fs, strInFile);
    } catch (...) {
        // The host's own entities are never handed back: an OK after a
        // failed read must not return the user's drawing shifted by hp1.
        store.clearGin(gins.nGinResult);
        throw;
    }
    headerRead_ = true;
    layouter_.preparePiles();
    layouter_.layoutPiles(layout.nReverse);
    view.fitGin(gins.nGinResult, 1.0);
    return true;
}

void Session::cmbTypeChange(size_t index) {
    if (!headerRead_) {
        // No points to lay between (the host file failed): the choice waits.
        layouter_.setSection(index);
        return;
    }
    const size_t before = layout.nSection;
    layouter_.setSection(index);
    try {
        layouter_.preparePiles();
    } catch (...) {
        // Back to the section whose files loaded before; the failure itself
        // is what the user is told.
        layouter_.setSection(before);
        try {
            layouter_.preparePiles();
            layAgain();
        } catch (...) {
            // Its files went too: no run rather than one from half an outline.
            layout.nPileCount = 0;
            store.clearGin(gins.nGinResult);
            moved_ = false;
            view.redrawGin(gins.nGinResult);
        }
        throw;
    }
    layouter_.layoutPiles(layout.nReverse);
    moved_ = false;
    // Another width makes another wall: show the whole of it.
    view.fitGin(gins.nGinResult, 1.0);
}

std::u16string Session::countText() const {
    return pileCountText(layout.nPileCount, layouter_.section().widthMm, layouter_.indicatedLength());
}

void Session::chkStartClick(bool checked) {
    if (!bViewReady) return;
    layout.bStartCorner = checked;
    layAgain();
}

void Session::chkEndClick(bool checked) {
    if (!bViewReady) return;
    layout.bEndCorner = checked;
    layAgain();
}

void Session::btnReverseClick() {
    layout.nReverse = 1 - layout.nReverse;
    layAgain();
}

void Session::layAgain() {
    // The run is rebuilt at the origin: whatever a failed OK moved is gone,
    // so the next OK must move it onto hp1 again.
    layouter_.layoutPiles(layout.nReverse);
    moved_ = false;
    view.redrawGin(gins.nGinResult);
}

void Session::writeRunResult() {
    // A failed write leaves the run moved; moving it again on the next OK
    // would hand the host a run shifted twice.
    if (!moved_) {
        moveGin(store, gins.nGinResult, header.hp[1].x, header.hp[1].y);
        moved_ = true;
    }
    writeResult(store, gins.nGinResult, strOutFile, sv_.fs, sv_.fmt, sv_.codec);
}

std::u16string startFromHostMessage() {
    return std::u16string(u"このプログラムはJWW外部変形用実行ファイルです。") + u"\n\r" +
           u"JWWの外部変形から[" + kAppTitle + u".bat]ファイルを実行して下さい。";
}

}  // namespace ravo
