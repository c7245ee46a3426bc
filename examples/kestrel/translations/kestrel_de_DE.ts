<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
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
    <name>KestrelCustomization</name>
    <message>
        <source>About Tavrin Kestrel</source>
        <translation>Über Tavrin Kestrel</translation>
    </message>
</context>
</TS>
