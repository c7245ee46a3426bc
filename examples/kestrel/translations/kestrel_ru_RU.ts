<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Kestrel::KestrelHelpLinks</name>
    <message>
        <source>&amp;User Guide</source>
        <translation>&amp;Руководство пользователя</translation>
    </message>
    <message>
        <source>&amp;Frequently Asked Questions</source>
        <translation>&amp;Часто задаваемые вопросы</translation>
    </message>
    <message>
        <source>&amp;Contact Support</source>
        <translation>&amp;Связаться с поддержкой</translation>
    </message>
    <message>
        <source>Tavrin Kestrel &amp;Website</source>
        <translation>&amp;Веб-сайт Tavrin Kestrel</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelMainWindow</name>
    <message>
        <source>Harbour survey</source>
        <translation>Обследование гавани</translation>
    </message>
    <message>
        <source>In progress</source>
        <translation>В работе</translation>
    </message>
    <message>
        <source>Depth soundings and mooring positions for the east basin.</source>
        <translation>Промеры глубин и места стоянки в восточном бассейне.</translation>
    </message>
    <message>
        <source>Spring catalogue</source>
        <translation>Весенний каталог</translation>
    </message>
    <message>
        <source>Review</source>
        <translation>На проверке</translation>
    </message>
    <message>
        <source>Layouts and product photographs for the spring range.</source>
        <translation>Макеты и фотографии товаров весенней коллекции.</translation>
    </message>
    <message>
        <source>Field notes</source>
        <translation>Полевые заметки</translation>
    </message>
    <message>
        <source>Draft</source>
        <translation>Черновик</translation>
    </message>
    <message>
        <source>Observations from the upland transects, with sketches.</source>
        <translation>Наблюдения на высокогорных трансектах, с зарисовками.</translation>
    </message>
    <message>
        <source>Quarterly report</source>
        <translation>Квартальный отчёт</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Готово</translation>
    </message>
    <message>
        <source>Figures and commentary for the third quarter.</source>
        <translation>Цифры и комментарии за третий квартал.</translation>
    </message>
    <message>
        <source>Tavrin Kestrel</source>
        <translation>Tavrin Kestrel</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Перезапустить</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Вид</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Язык</translation>
    </message>
    <message>
        <source>&amp;Theme</source>
        <translation>&amp;Тема</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>About &amp;Qt</source>
        <translation>О &amp;Qt</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Версия %1</translation>
    </message>
    <message numerus="yes">
        <source>The previous session of Tavrin Kestrel ended unexpectedly (%n session(s)).</source>
        <translation>
            <numerusform>Предыдущий сеанс Tavrin Kestrel завершился неожиданно (%n сеанс).</numerusform>
            <numerusform>Предыдущие сеансы Tavrin Kestrel завершились неожиданно (%n сеанса).</numerusform>
            <numerusform>Предыдущие сеансы Tavrin Kestrel завершились неожиданно (%n сеансов).</numerusform>
        </translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Готово</translation>
    </message>
    <message>
        <source>&lt;h2&gt;%1&lt;/h2&gt;&lt;p&gt;&lt;b&gt;Owner:&lt;/b&gt; %2&lt;br&gt;&lt;b&gt;Status:&lt;/b&gt; %3&lt;/p&gt;&lt;p&gt;%4&lt;/p&gt;</source>
        <translation>&lt;h2&gt;%1&lt;/h2&gt;&lt;p&gt;&lt;b&gt;Ответственный:&lt;/b&gt; %2&lt;br&gt;&lt;b&gt;Состояние:&lt;/b&gt; %3&lt;/p&gt;&lt;p&gt;%4&lt;/p&gt;</translation>
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
        <translation>Версия %1</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelViewerLauncher</name>
    <message>
        <source>Open &amp;Viewer</source>
        <translation>Открыть &amp;просмотрщик</translation>
    </message>
</context>
<context>
    <name>Kestrel::KestrelViewerWindow</name>
    <message>
        <source>Kestrel Viewer</source>
        <translation>Просмотрщик Kestrel</translation>
    </message>
    <message>
        <source>A preview of the selected project. Close this window to go back to Tavrin Kestrel.</source>
        <translation>Предварительный просмотр выбранного проекта. Закройте это окно, чтобы вернуться в Tavrin Kestrel.</translation>
    </message>
</context>
<context>
    <name>Kestrel::LaunchOptions</name>
    <message>
        <source>--screenshot needs a file: --screenshot=PATH</source>
        <translation>для --screenshot нужен файл: --screenshot=ПУТЬ</translation>
    </message>
    <message>
        <source>--screenshot is only taken with --offscreen-smoke and without --quit-after-start</source>
        <translation>--screenshot действует только с --offscreen-smoke и без --quit-after-start</translation>
    </message>
</context>
<context>
    <name>Kestrel::SmokeRun</name>
    <message>
        <source>The application did not start within %1 s.</source>
        <translation>Приложение не запустилось за %1 с.</translation>
    </message>
    <message>
        <source>The application refused to quit.</source>
        <translation>Приложение отказалось завершиться.</translation>
    </message>
    <message>
        <source>Cannot write the screenshot to %1.</source>
        <translation>Не удалось записать снимок экрана в %1.</translation>
    </message>
</context>
<context>
    <name>KestrelCustomization</name>
    <message>
        <source>About Tavrin Kestrel</source>
        <translation>О программе Tavrin Kestrel</translation>
    </message>
</context>
</TS>
