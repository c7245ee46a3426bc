<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Kestrel::KestrelMainWindow</name>
    <message numerus="yes">
        <source>The previous session of Tavrin Kestrel ended unexpectedly (%n session(s)).</source>
        <translation>
            <numerusform>The previous session of Tavrin Kestrel ended unexpectedly (%n session).</numerusform>
            <numerusform>The previous sessions of Tavrin Kestrel ended unexpectedly (%n sessions).</numerusform>
        </translation>
    </message>
</context>
</TS>
