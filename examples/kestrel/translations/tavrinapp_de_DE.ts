<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ApplicationRestarter</name>
    <message>
        <source>Attention</source>
        <translation>Achtung</translation>
    </message>
    <message>
        <source>&lt;b&gt;This will restart the application.&lt;/b&gt;&lt;br&gt;Do you want to continue?</source>
        <translation>&lt;b&gt;Die Anwendung wird neu gestartet.&lt;/b&gt;&lt;br&gt;Möchten Sie fortfahren?</translation>
    </message>
</context>
<context>
    <name>EmailWidget</name>
    <message>
        <source>Thank you for choosing Tavrin software!</source>
        <translation>Danke, dass Sie sich für Tavrin-Software entschieden haben!</translation>
    </message>
    <message>
        <source>We have special
discounts for you!</source>
        <translation>Wir haben besondere
Rabatte für Sie!</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>I don&apos;t want to recieve Tavrin newsletters</source>
        <translation>Ich möchte keine Tavrin-Newsletter erhalten</translation>
    </message>
    <message>
        <source>You may cancel this subscription at any time.</source>
        <translation>Sie können dieses Abonnement jederzeit kündigen.</translation>
    </message>
    <message>
        <source>Register and continue</source>
        <translation>Jetzt registrieren</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message>
        <source>Register now and you will be among the first to know about our special offers and sales.</source>
        <translation>Registrieren Sie sich jetzt und erfahren Sie als Erste von unseren Sonderangeboten und Rabattaktionen.</translation>
    </message>
    <message>
        <source>Please enter a valid email address</source>
        <translation>Bitte geben Sie eine gültige E-Mail-Adresse ein</translation>
    </message>
</context>
<context>
    <name>SharedMessages</name>
    <message>
        <source>NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; CUDA&amp;#8482; acceleration has been disabled in NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; Control Panel. To enable CUDA&amp;#8482; acceleration for Tavrin Kestrel, select &lt;b&gt;High-performance NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; processor&lt;/b&gt; as your preferred graphics processor in NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; Control Panel.&lt;br&gt;&lt;br&gt;&lt;a href=&quot;%1&quot; style=&quot;%2&quot;&gt;Detailed Instructions&lt;/a&gt;</source>
        <translation>NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; CUDA&amp;#8482;-Beschleunigung wurde in der NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt;-Systemsteuerung deaktiviert. Um die CUDA&amp;#8482;-Beschleunigung für Tavrin Kestrel zu aktivieren, wählen Sie in der NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt;-Systemsteuerung &lt;b&gt;Hochleistungs-NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt;-Prozessor&lt;/b&gt; als bevorzugten Grafikprozessor aus.&lt;br&gt;&lt;br&gt;&lt;a href=&quot;%1&quot; style=&quot;%2&quot;&gt;Ausführliche Anleitung&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Unfortunately, the currently installed graphics card driver does not support NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; CUDA&amp;#8482; acceleration.&lt;br&gt;&lt;br&gt;You can install an earlier version of the NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; graphics card driver to enable CUDA&amp;#8482; acceleration. To do that, simply download the installation package and follow the manufacturer&apos;s instructions to install the driver.&lt;br&gt;&lt;br&gt;&lt;a href=&quot;%1&quot; style=&quot;%2&quot;&gt;Download Driver&lt;/a&gt;</source>
        <translation>Leider unterstützt der derzeit installierte Grafikkartentreiber keine NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; CUDA&amp;#8482;-Beschleunigung.&lt;br&gt;&lt;br&gt;Sie können eine ältere Version des NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt;-Grafikkartentreibers installieren, um die CUDA&amp;#8482;-Beschleunigung zu aktivieren. Laden Sie dazu das Installationspaket herunter und folgen Sie den Anweisungen des Herstellers zur Installation des Treibers.&lt;br&gt;&lt;br&gt;&lt;a href=&quot;%1&quot; style=&quot;%2&quot;&gt;Treiber herunterladen&lt;/a&gt;</translation>
    </message>
</context>
<context>
    <name>Tavrin::App::AboutBoxDialog</name>
    <message>
        <source>&lt;a href=&quot;https://www.tavrin.example/&quot;&gt;Visit home page&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;https://www.tavrin.example/&quot;&gt;Zur Homepage&lt;/a&gt;</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;mailto:support@tavrin.example&quot;&gt;support@tavrin.example&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;mailto:support@tavrin.example&quot;&gt;support@tavrin.example&lt;/a&gt;</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;#version-details&quot;&gt;Copy version details&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;#version-details&quot;&gt;Versionsangaben kopieren&lt;/a&gt;</translation>
    </message>
    <message>
        <source>All Rights Reserved</source>
        <translation>Alle Rechte vorbehalten</translation>
    </message>
    <message>
        <source>Visit homepage</source>
        <translation>Zur Homepage</translation>
    </message>
    <message>
        <source>Email address has been copied to the clipboard</source>
        <translation>Die E-Mail-Adresse wurde in die Zwischenablage kopiert</translation>
    </message>
    <message>
        <source>Version details have been copied to the clipboard</source>
        <translation>Die Versionsangaben wurden in die Zwischenablage kopiert</translation>
    </message>
</context>
<context>
    <name>Tavrin::App::ConfirmationAlertBox</name>
    <message>
        <source>Don&apos;t show this again</source>
        <translation>Nicht mehr anzeigen</translation>
    </message>
</context>
<context>
    <name>Tavrin::App::Informer</name>
    <message>
        <source>Email address has been copied to the clipboard</source>
        <translation>Die E-Mail-Adresse wurde in die Zwischenablage kopiert</translation>
    </message>
</context>
<context>
    <name>Tavrin::Util::AlertBox</name>
    <message>
        <source>Learn more</source>
        <translation>Mehr erfahren</translation>
    </message>
</context>
</TS>
