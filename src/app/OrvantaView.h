#pragma once
// The document's view. The wallpaper is the program's only picture of the data,
// so the view draws nothing; it exists so that commands pass frame, view, document
// and application in that order, and it is created after the frame.
class COrvantaDoc;
class CMainFrame;

class COrvantaView {
public:
    COrvantaView(COrvantaDoc& doc, CMainFrame& frame) : m_doc(doc), m_frame(frame) {}
    COrvantaView(const COrvantaView&) = delete;
    COrvantaView& operator=(const COrvantaView&) = delete;

    // True when the view handled the command; it has none of its own.
    bool OnCommand(int id);
    COrvantaDoc& GetDocument() const { return m_doc; }

private:
    COrvantaDoc& m_doc;
    CMainFrame& m_frame;
};
