#include "help/cwhelp.h"

using namespace Qt::Literals::StringLiterals;

namespace {

HelpPage overview()
{
    return {
        u"overview"_s,
        u"What Cutwright Is"_s,
        u"scissors"_s,
        {HelpText{
             u"MWSO Cutwright cuts long videos into short clips and reframes each one for social media: 9:16 for Reels, TikTok and Shorts, 1:1 square, 4:5 portrait feed, or 16:9 widescreen. Every clip remembers its own In/Out points, shape and framing, and all of them export in one batch as MP4 files."_s},
         HelpBullets{
             {u"Opens MP4, MOV, M4V and MPEG/MPG/TS (MPEG files are converted automatically with the built-in converter)."_s,
              u"Several videos can be in the media bin at once; clips from all of them go into one export."_s,
              u"Your clips are saved automatically and come back next time you open the app."_s,
              u"Edit > Undo (Ctrl+Z) takes back any change to your clips and videos, one step at a time, and Edit > Redo puts it back. The steps are kept while the app is open."_s}}}};
}

HelpPage quickStart()
{
    return {
        u"quickstart"_s,
        u"Quick Start"_s,
        u"bolt.fill"_s,
        {HelpSteps{
             {u"Click + in the Media bin (or drop videos onto it)."_s,
              u"Play the video (Space). Press I where the clip should start and O where it should end, or drag the yellow handles on the timeline."_s,
              u"Pick a shape: 9:16, 1:1, 4:5 or 16:9."_s,
              u"Drag the bright frame in the viewer to choose what stays in the picture. Turn the Zoom knob to crop tighter."_s,
              u"Press Return (or click Add Clip). Repeat for as many clips as you like."_s,
              u"Click Export All and choose a folder. Each clip becomes its own MP4."_s}},
         HelpTip{
             u"Click a clip in the Clips rack to change it later. Everything you adjust then applies to that clip. Click Done Editing to go back to making new clips."_s}}};
}

HelpPage mediaBin()
{
    return {
        u"bin"_s,
        u"Media Bin"_s,
        u"film.stack"_s,
        {HelpControl{
             u"+ button"_s,
             u"Import videos (also File > Import Videos…, Ctrl+I). You can choose several at once."_s},
         HelpControl{
             u"Video card"_s,
             u"Click to show that video in the viewer and timeline. Shows length, size and how many clips you made from it."_s},
         HelpControl{
             u"ⓧ"_s,
             u"Removes the video and its clips from the bin (your file on disk is untouched). Edit > Undo brings them back."_s},
         HelpText{
             u"Files that Linux can't play directly (MPEG-1/2 program and transport streams, some MKV/AVI) are converted automatically; you'll see a progress bar. Audio-only files and damaged files show a clear message."_s}}};
}

HelpPage viewer()
{
    return {
        u"viewer"_s,
        u"Reframe Viewer"_s,
        u"crop"_s,
        {HelpText{
             u"The viewer shows the whole picture. The bright frame is what your clip will contain; the dimmed area is cut away."_s},
         HelpControl{u"Drag the frame"_s, u"Moves the crop. It always stays inside the picture."_s},
         HelpControl{
             u"Frame points"_s,
             u"To follow someone who moves, play or step to where they have moved and drag the frame there: that sets a frame point at the playhead, and the frame glides from point to point as the clip plays. At the clip's In, dragging changes the clip's starting frame. The frame shown is always the one at the playhead."_s},
         HelpControl{
             u"Thirds grid"_s,
             u"Rule-of-thirds guides inside the frame. Put faces and eyes near the top line."_s},
         HelpControl{u"Aspect badge"_s, u"Shows the current shape on the frame."_s},
         HelpControl{
             u"Safe zones"_s,
             u"Shades what Reels, TikTok and Shorts cover in a 9:16 frame with their own buttons and text: the top bar, captions & buttons along the bottom, the actions column on the right and the left edge. Keep faces and titles in the clear middle. The shading is never exported, and your choice is remembered."_s},
         HelpText{
             u"Each band is as deep as the deepest of the three apps: Meta's published Reels safe zone (top 14%, bottom 35%, sides 6%), the usual TikTok templates (about 150 pixels at the top and right and 440 at the bottom of a 1080 × 1920 video) and YouTube Shorts (the bottom quarter and the right-hand column, about 15%). The apps change from time to time, so treat the bands as a guide. 1:1, 4:5 and 16:9 show no bands: feeds put the caption under the video, not over it."_s}}};
}

HelpPage inspector()
{
    return {
        u"inspector"_s,
        u"Reframe Controls"_s,
        u"slider.horizontal.3"_s,
        {HelpControl{u"9:16 / 1:1 / 4:5 / 16:9"_s, u"The clip's shape (keys 1–4)."_s},
         HelpControl{
             u"Zoom knob"_s,
             u"Drag up or down. 1× is the largest frame that fits; up to 3× crops in tighter."_s},
         HelpControl{
             u"Position pad"_s,
             u"Drag the dot to move the frame (same as dragging in the viewer). Center puts it back in the middle."_s},
         HelpControl{
             u"Reset Frame"_s,
             u"Zoom 1×, centred, for the whole clip. When the frame moves within the clip, you are asked first, since its frame points go too."_s},
         HelpControl{
             u"Glide / Cut"_s,
             u"Shown for a clip whose frame moves, and chosen for the frame point at the playhead (press [ or ] to go to one): Glide moves the frame smoothly from the point before to this one; Cut holds the frame and jumps at this point, as a cut between two speakers."_s},
         HelpControl{
             u"Output quality"_s,
             u"1080p (1080 wide for vertical, 1920 wide for 16:9) or 720p for smaller files."_s},
         HelpControl{
             u"Audio"_s,
             u"Source level keeps each clip's sound as loud as it is in the video. Normalize to −14 LUFS measures every clip and brings it to the loudness Reels, TikTok and Shorts play at, with peaks kept under −1 dBTP so nothing distorts. Quiet and loud clips then sound alike; silent clips stay silent. The choice is kept for next time."_s},
         HelpControl{u"Selected clip"_s,
                     u"Rename, duplicate, export just this clip, or click Done Editing."_s},
         HelpControl{
             u"Captions"_s,
             u"Burn in captions draws the video's subtitles into this clip's picture, in big letters a phone can read, two lines at most, above the buttons the apps lay over a 9:16 video (at the bottom for 16:9). Outline is bold white with a dark edge; Box is white on a dark box. Raise and Lower move them. The viewer shows them where the export puts them."_s},
         HelpControl{
             u"Captions From"_s,
             u"Where the video's captions come from: a subtitle file (.srt, .vtt or .ass), a text subtitle track inside the video, or none. Picture subtitles from DVDs and Blu-rays are listed but can't be used: they are images, not text."_s},
         HelpTip{
             u"Keep a subtitle file beside the video with the same name — talk.srt or talk.en.srt for talk.mp4 — and it is attached when you import the video."_s},
         HelpControl{
             u"Apply aspect to all clips"_s,
             u"Switches every clip to one shape at once. Edit > Undo gives each clip its own shape back."_s}}};
}

HelpPage timeline()
{
    return {
        u"timeline"_s,
        u"Timeline & Clips Rack"_s,
        u"timeline.selection"_s,
        {HelpText{
             u"The timeline shows a filmstrip of the current video. The yellow box is the In-to-Out selection; coloured bars underneath are the clips you've already made from this video."_s},
         HelpBullets{
             {u"Click or drag anywhere to move the white playhead."_s,
              u"Drag the left yellow handle to the right to trim the start (In), and the right yellow handle to the left to trim the end (Out). The pointer turns into ⇔ over a handle, and the time shows while you drag."_s,
              u"The handles can't cross: a clip is always at least half a second long."_s,
              u"When you drag quickly, the picture keeps up by showing the nearest key frame (a picture the video stores whole); the exact frame appears as soon as you pause or let go."_s,
              u"After you click a handle, ← / → move it one frame (Shift: 10 frames). Click the timeline or press Esc to make the arrow keys move the playhead again."_s,
              u"Click a coloured bar to edit that clip."_s,
              u"The selected clip's frame points are small white diamonds on its bar (squares where the frame cuts). Click one to go to it; drag it along the bar to move it in time; right-click it to remove it or to choose Glide or Cut."_s}},
         HelpText{
             u"The Clips rack under the timeline lists every clip in export order. Click one to edit it; ✕ deletes it (Edit > Undo brings it back)."_s}}};
}

HelpPage batchExport()
{
    return {
        u"export"_s,
        u"Batch Export"_s,
        u"square.and.arrow.up.on.square.fill"_s,
        {HelpText{
             u"Export All (Ctrl+E) asks for a folder, then exports every clip one after another as H.264 MP4 with the original sound (or evened out, when Audio is set to Normalize). The export panel shows each clip's progress; Cancel stops after the current file is removed."_s},
         HelpText{
             u"Every file is ready to post as it is: a steady frame rate of at most 60 (faster footage keeps every other frame, so 120 becomes 60), H.264 High at the level its size needs, a key frame at least every 2 seconds, standard BT.709 colour, and 48 kHz stereo sound that starts with the picture. HDR footage from a phone is tone-mapped to standard colour, and the viewer already shows it that way."_s},
         HelpText{
             u"Files are named with their order, name and shape, e.g. “01 Interview – clip 1 (9x16).mp4”. Existing files are never overwritten: a number is added instead."_s},
         HelpText{
             u"Clips with Burn in captions on get their video's subtitles drawn into the picture, cut to the clip: a caption already showing at the clip's start shows from its first frame. Should the subtitle file be gone, that clip is not exported without its captions: it fails and says which file is missing."_s},
         HelpTip{
             u"If one clip fails (for example the source file was moved), the others still export and the failed one shows why."_s}}};
}

HelpPage keyboardShortcuts()
{
    return {
        u"keys"_s,
        u"Keyboard Shortcuts"_s,
        u"keyboard"_s,
        {HelpKey{u"Space"_s, u"Play / pause (a selected clip plays from its In to its Out)"_s},
         HelpKey{u"I / O"_s, u"Set In / Out at the playhead"_s},
         HelpKey{u"Return or Ctrl+K"_s, u"Add clip"_s},
         HelpKey{
             u"← / →"_s,
             u"One frame back / forward (Shift: 10 frames); moves the selected trim handle after you click one"_s},
         HelpKey{u"Esc"_s, u"Deselect the trim handle"_s},
         HelpKey{u"J / K / L"_s, u"Back 2 s / pause / forward 2 s"_s},
         HelpKey{u"1 2 3 4"_s, u"9:16 / 1:1 / 4:5 / 16:9"_s},
         HelpKey{
             u"P / Shift+P"_s,
             u"Add a frame point at the playhead / remove the nearest one (selected clip; Clip menu)"_s},
         HelpKey{u"[ / ]"_s, u"Go to the previous / next frame point"_s},
         HelpKey{u"Ctrl+I"_s, u"Import videos"_s}, HelpKey{u"Ctrl+E"_s, u"Export all"_s},
         HelpKey{u"Ctrl+."_s,
                 u"Cancel export (Space, Return and Esc never stop a running export)"_s},
         HelpKey{u"Ctrl+Z"_s,
                 u"Undo the last change (Edit > Undo); in a text field, undo your typing there"_s},
         HelpKey{u"Ctrl+Shift+Z or Ctrl+Y"_s, u"Redo (Edit > Redo)"_s},
         HelpKey{u"Ctrl+= / Ctrl+− / Ctrl+0"_s, u"Interface zoom"_s},
         HelpKey{u"Ctrl+? or F1"_s, u"This Help"_s},
         HelpKey{u"F10"_s, u"Open the menus; the arrow keys move through them"_s},
         HelpKey{
             u"Tab"_s,
             u"Reach the videos in the bin, the clip chips and the trim handles: the arrow keys move, Return or Space chooses, Delete removes a chip"_s}}};
}

HelpPage tips()
{
    return {
        u"tips"_s,
        u"Tips"_s,
        u"lightbulb.fill"_s,
        {HelpBullets{
            {u"Vertical clips from a 16:9 video use the middle third of the picture: drag the frame to follow the speaker."_s,
             u"Zooming past about 2× on 1080p footage starts to look soft. 4K sources can be zoomed further."_s,
             u"Keep clips under 60 seconds for Shorts and under 90 seconds for Reels."_s,
             u"Converted MPEG copies are kept in ~/.cache/Marrowick/Cutwright. Safe to delete."_s}}}};
}

}  // namespace

const QList<HelpPage>& CWHelp::pages()
{
    static const QList<HelpPage> catalogue{overview(),    quickStart(),        mediaBin(),
                                           viewer(),      inspector(),         timeline(),
                                           batchExport(), keyboardShortcuts(), tips()};
    return catalogue;
}
