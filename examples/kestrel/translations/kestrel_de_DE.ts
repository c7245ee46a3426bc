<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Kestrel::KestrelDialogs</name>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Something does not work as it should?&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Tell us on the &lt;a href=&quot;%1&quot;&gt;support page&lt;/a&gt; or write to &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt;. The version details from Help &amp;gt; About help us find the cause sooner.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Funktioniert etwas nicht wie erwartet?&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Schreiben Sie uns auf der &lt;a href=&quot;%1&quot;&gt;Support-Seite&lt;/a&gt; oder an &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt;. Mit den Versionsangaben aus Hilfe &amp;gt; Über finden wir die Ursache schneller.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&amp;Report a Problem…</source>
        <translation>&amp;Problem melden…</translation>
    </message>
    <message>
        <source>&amp;About Tavrin Kestrel</source>
        <translation>Ü&amp;ber Tavrin Kestrel</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelEditMenu</name>
    <message>
        <source>Tavrin Kestrel</source>
        <translation>Tavrin Kestrel</translation>
    </message>
    <message>
        <source>Reset the window layout?</source>
        <translation>Fensteranordnung zurücksetzen?</translation>
    </message>
    <message>
        <source>The window size and the width of the project list go back to their defaults.</source>
        <translation>Fenstergröße und Breite der Projektliste werden auf ihre Standardwerte zurückgesetzt.</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>The window layout was reset.</source>
        <translation>Die Fensteranordnung wurde zurückgesetzt.</translation>
    </message>
    <message>
        <source>Pick a Colour</source>
        <translation>Farbe wählen</translation>
    </message>
    <message>
        <source>Picked %1.</source>
        <translation>%1 gewählt.</translation>
    </message>
    <message>
        <source>Every confirmation will be asked again.</source>
        <translation>Alle Rückfragen werden wieder gestellt.</translation>
    </message>
    <message>
        <source>The confirmations could not be reset.</source>
        <translation>Die Rückfragen konnten nicht zurückgesetzt werden.</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Reset Window Layout…</source>
        <translation>Fensteranordnung &amp;zurücksetzen…</translation>
    </message>
    <message>
        <source>Pick a &amp;Colour…</source>
        <translation>&amp;Farbe wählen…</translation>
    </message>
    <message>
        <source>&amp;Ask All Confirmations Again</source>
        <translation>Alle Rückfragen wieder &amp;stellen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelHelpLinks</name>
    <message>
        <source>&amp;User Guide</source>
        <translation>&amp;Benutzerhandbuch</translation>
    </message>
    <message>
        <source>&amp;Frequently Asked Questions</source>
        <translation>&amp;Häufig gestellte Fragen</translation>
    </message>
    <message>
        <source>&amp;Contact Support</source>
        <translation>&amp;Support kontaktieren</translation>
    </message>
    <message>
        <source>Tavrin Kestrel &amp;Website</source>
        <translation>&amp;Website von Tavrin Kestrel</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelMainWindow</name>
    <message>
        <source>Harbour survey</source>
        <translation>Hafenvermessung</translation>
    </message>
    <message>
        <source>In progress</source>
        <translation>In Arbeit</translation>
    </message>
    <message>
        <source>Depth soundings and mooring positions for the east basin.</source>
        <translation>Tiefenlotungen und Liegeplätze für das Ostbecken.</translation>
    </message>
    <message>
        <source>Spring catalogue</source>
        <translation>Frühjahrskatalog</translation>
    </message>
    <message>
        <source>Review</source>
        <translation>Prüfung</translation>
    </message>
    <message>
        <source>Layouts and product photographs for the spring range.</source>
        <translation>Layouts und Produktfotos für das Frühjahrssortiment.</translation>
    </message>
    <message>
        <source>Field notes</source>
        <translation>Feldnotizen</translation>
    </message>
    <message>
        <source>Draft</source>
        <translation>Entwurf</translation>
    </message>
    <message>
        <source>Observations from the upland transects, with sketches.</source>
        <translation>Beobachtungen aus den Hochland-Transekten, mit Skizzen.</translation>
    </message>
    <message>
        <source>Quarterly report</source>
        <translation>Quartalsbericht</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Figures and commentary for the third quarter.</source>
        <translation>Zahlen und Kommentar zum dritten Quartal.</translation>
    </message>
    <message>
        <source>Tavrin Kestrel</source>
        <translation>Tavrin Kestrel</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Neu starten</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <source>&amp;Theme</source>
        <translation>&amp;Design</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>About &amp;Qt</source>
        <translation>Über &amp;Qt</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message numerus="yes">
        <source>The previous session of Tavrin Kestrel ended unexpectedly (%n session(s)).</source>
        <translation>
            <numerusform>Die letzte Sitzung von Tavrin Kestrel wurde unerwartet beendet (%n Sitzung).</numerusform>
            <numerusform>Die letzten Sitzungen von Tavrin Kestrel wurden unerwartet beendet (%n Sitzungen).</numerusform>
        </translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>&lt;h2&gt;%1&lt;/h2&gt;&lt;p&gt;&lt;b&gt;Owner:&lt;/b&gt; %2&lt;br&gt;&lt;b&gt;Status:&lt;/b&gt; %3&lt;/p&gt;&lt;p&gt;%4&lt;/p&gt;</source>
        <translation>&lt;h2&gt;%1&lt;/h2&gt;&lt;p&gt;&lt;b&gt;Verantwortlich:&lt;/b&gt; %2&lt;br&gt;&lt;b&gt;Status:&lt;/b&gt; %3&lt;/p&gt;&lt;p&gt;%4&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelSplash</name>
    <message>
        <source>Tavrin Kestrel</source>
        <translation>Tavrin Kestrel</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelViewerLauncher</name>
    <message>
        <source>Open &amp;Viewer</source>
        <translation>&amp;Betrachter öffnen</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelViewerWindow</name>
    <message>
        <source>Kestrel Viewer</source>
        <translation>Kestrel-Betrachter</translation>
    </message>
    <message>
        <source>A preview of the selected project. Close this window to go back to Tavrin Kestrel.</source>
        <translation>Eine Vorschau des ausgewählten Projekts. Schließen Sie dieses Fenster, um zu Tavrin Kestrel zurückzukehren.</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelWindowMenu</name>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>&amp;Minimize</source>
        <translation>&amp;Minimieren</translation>
    </message>
    <message>
        <source>&amp;Zoom</source>
        <translation>&amp;Zoomen</translation>
    </message>
    <message>
        <source>&amp;Bring All to Front</source>
        <translation>&amp;Alle nach vorne bringen</translation>
    </message>
</context>
<context>
    <name>Kestrel::LaunchOptions</name>
    <message>
        <source>--screenshot needs a file: --screenshot=PATH</source>
        <translation>--screenshot braucht eine Datei: --screenshot=PFAD</translation>
    </message>
    <message>
        <source>--screenshot is only taken with --offscreen-smoke and without --quit-after-start</source>
        <translation>--screenshot gilt nur mit --offscreen-smoke und ohne --quit-after-start</translation>
    </message>
</context>
<context>
    <name>Kestrel::SmokeRun</name>
    <message>
        <source>The application did not start within %1 s.</source>
        <translation>Die Anwendung ist nicht innerhalb von %1 s gestartet.</translation>
    </message>
    <message>
        <source>The application refused to quit.</source>
        <translation>Die Anwendung hat das Beenden abgelehnt.</translation>
    </message>
    <message>
        <source>Cannot write the screenshot to %1.</source>
        <translation>Das Bildschirmfoto kann nicht nach %1 geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>Kestrel::TouchCanvas</name>
    <message>
        <source>Zoom %1%</source>
        <translation>Zoom %1 %</translation>
    </message>
    <message>
        <source>Rotation %1°</source>
        <translation>Drehung %1°</translation>
    </message>
    <message>
        <source>Two-finger taps: %1</source>
        <translation>Tippen mit zwei Fingern: %1</translation>
    </message>
    <message>
        <source>Press and tap at %1, %2</source>
        <translation>Halten und Tippen bei %1, %2</translation>
    </message>
</context>
<context>
    <name>Kestrel::TouchPage</name>
    <message>
        <source>Pinch to zoom, turn two fingers to rotate, tap with two fingers, or hold one finger and tap with another. Drag the list and the text with one finger.</source>
        <translation>Mit zwei Fingern zoomen oder drehen, mit zwei Fingern tippen oder einen Finger halten und mit einem zweiten tippen. Liste und Text mit einem Finger ziehen.</translation>
    </message>
    <message>
        <source>Entry %1</source>
        <translation>Eintrag %1</translation>
    </message>
    <message>
        <source>Line %1 of the sample text.</source>
        <translation>Zeile %1 des Beispieltexts.</translation>
    </message>
    <message>
        <source>Touch</source>
        <translation>Touch-Bedienung</translation>
    </message>
</context>
<context>
    <name>KestrelCustomization</name>
    <message>
        <source>About Tavrin Kestrel</source>
        <translation>Über Tavrin Kestrel</translation>
    </message>
</context>
</TS>
