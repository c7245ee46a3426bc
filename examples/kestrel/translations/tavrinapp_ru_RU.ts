<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ApplicationRestarter</name>
    <message>
        <source>Attention</source>
        <translation>Внимание</translation>
    </message>
    <message>
        <source>&lt;b&gt;This will restart the application.&lt;/b&gt;&lt;br&gt;Do you want to continue?</source>
        <translation>&lt;b&gt;Приложение будет перезапущено.&lt;/b&gt;&lt;br&gt;Продолжить?</translation>
    </message>
</context>
<context>
    <name>EmailWidget</name>
    <message>
        <source>Thank you for choosing Tavrin software!</source>
        <translation>Спасибо, что выбрали программы Tavrin!</translation>
    </message>
    <message>
        <source>We have special
discounts for you!</source>
        <translation>Для вас у нас есть
особые скидки!</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>Эл. почта:</translation>
    </message>
    <message>
        <source>I don&apos;t want to recieve Tavrin newsletters</source>
        <translation>Я не хочу получать рассылку Tavrin</translation>
    </message>
    <message>
        <source>You may cancel this subscription at any time.</source>
        <translation>Вы можете отменить подписку в любое время.</translation>
    </message>
    <message>
        <source>Register and continue</source>
        <translation>Зарегистрироваться</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Пропустить</translation>
    </message>
    <message>
        <source>Register now and you will be among the first to know about our special offers and sales.</source>
        <translation>Зарегистрируйтесь сейчас и первыми узнавайте о наших специальных предложениях и распродажах.</translation>
    </message>
    <message>
        <source>Please enter a valid email address</source>
        <translation>Введите правильный адрес электронной почты</translation>
    </message>
</context>
<context>
    <name>SharedMessages</name>
    <message>
        <source>NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; CUDA&amp;#8482; acceleration has been disabled in NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; Control Panel. To enable CUDA&amp;#8482; acceleration for Tavrin Kestrel, select &lt;b&gt;High-performance NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; processor&lt;/b&gt; as your preferred graphics processor in NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; Control Panel.&lt;br&gt;&lt;br&gt;&lt;a href=&quot;%1&quot; style=&quot;%2&quot;&gt;Detailed Instructions&lt;/a&gt;</source>
        <translation>Ускорение CUDA&amp;#8482; отключено в панели управления NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt;. Чтобы включить ускорение CUDA&amp;#8482; для Tavrin Kestrel, выберите &lt;b&gt;Высокопроизводительный процессор NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt;&lt;/b&gt; в качестве предпочитаемого графического процессора в панели управления NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt;.&lt;br&gt;&lt;br&gt;&lt;a href=&quot;%1&quot; style=&quot;%2&quot;&gt;Подробная инструкция&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Unfortunately, the currently installed graphics card driver does not support NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; CUDA&amp;#8482; acceleration.&lt;br&gt;&lt;br&gt;You can install an earlier version of the NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; graphics card driver to enable CUDA&amp;#8482; acceleration. To do that, simply download the installation package and follow the manufacturer&apos;s instructions to install the driver.&lt;br&gt;&lt;br&gt;&lt;a href=&quot;%1&quot; style=&quot;%2&quot;&gt;Download Driver&lt;/a&gt;</source>
        <translation>К сожалению, установленный драйвер видеокарты не поддерживает ускорение NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt; CUDA&amp;#8482;.&lt;br&gt;&lt;br&gt;Чтобы включить ускорение CUDA&amp;#8482;, установите более раннюю версию драйвера видеокарты NVIDIA&lt;sup&gt;&amp;reg;&lt;/sup&gt;. Для этого скачайте установочный пакет и следуйте инструкциям производителя по установке драйвера.&lt;br&gt;&lt;br&gt;&lt;a href=&quot;%1&quot; style=&quot;%2&quot;&gt;Скачать драйвер&lt;/a&gt;</translation>
    </message>
</context>
<context>
    <name>Tavrin::App::AboutBoxDialog</name>
    <message>
        <source>&lt;a href=&quot;https://www.tavrin.example/&quot;&gt;Visit home page&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;https://www.tavrin.example/&quot;&gt;Перейти на сайт&lt;/a&gt;</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;mailto:support@tavrin.example&quot;&gt;support@tavrin.example&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;mailto:support@tavrin.example&quot;&gt;support@tavrin.example&lt;/a&gt;</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;#version-details&quot;&gt;Copy version details&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;#version-details&quot;&gt;Скопировать сведения о версии&lt;/a&gt;</translation>
    </message>
    <message>
        <source>All Rights Reserved</source>
        <translation>Все права защищены</translation>
    </message>
    <message>
        <source>Visit homepage</source>
        <translation>Перейти на сайт</translation>
    </message>
    <message>
        <source>Email address has been copied to the clipboard</source>
        <translation>Адрес электронной почты скопирован в буфер обмена</translation>
    </message>
    <message>
        <source>Version details have been copied to the clipboard</source>
        <translation>Сведения о версии скопированы в буфер обмена</translation>
    </message>
</context>
<context>
    <name>Tavrin::App::ConfirmationAlertBox</name>
    <message>
        <source>Don&apos;t show this again</source>
        <translation>Больше не показывать</translation>
    </message>
</context>
<context>
    <name>Tavrin::App::Informer</name>
    <message>
        <source>Email address has been copied to the clipboard</source>
        <translation>Адрес электронной почты скопирован в буфер обмена</translation>
    </message>
</context>
<context>
    <name>Tavrin::Util::AlertBox</name>
    <message>
        <source>Learn more</source>
        <translation>Подробнее</translation>
    </message>
</context>
</TS>
