<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>LookAndFeelTest</name>
    <message>
        <source>Hello</source>
        <translation>Здравствуйте</translation>
    </message>
</context>
</TS>
