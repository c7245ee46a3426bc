<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Kestrel::KestrelDialogs</name>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Something does not work as it should?&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Tell us on the &lt;a href=&quot;%1&quot;&gt;support page&lt;/a&gt; or write to &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt;. The version details from Help &amp;gt; About help us find the cause sooner.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Что-то работает не так, как должно?&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Сообщите нам на &lt;a href=&quot;%1&quot;&gt;странице поддержки&lt;/a&gt; или напишите на &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt;. Сведения о версии из меню «Справка &amp;gt; О программе» помогут нам быстрее найти причину.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&amp;Report a Problem…</source>
        <translation>&amp;Сообщить о проблеме…</translation>
    </message>
    <message>
        <source>&amp;About Tavrin Kestrel</source>
        <translation>&amp;О программе Tavrin Kestrel</translation>
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
        <translation>Сбросить расположение окна?</translation>
    </message>
    <message>
        <source>The window size and the width of the project list go back to their defaults.</source>
        <translation>Размер окна и ширина списка проектов вернутся к значениям по умолчанию.</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Сбросить</translation>
    </message>
    <message>
        <source>The window layout was reset.</source>
        <translation>Расположение окна сброшено.</translation>
    </message>
    <message>
        <source>Pick a Colour</source>
        <translation>Выбор цвета</translation>
    </message>
    <message>
        <source>Picked %1.</source>
        <translation>Выбран цвет %1.</translation>
    </message>
    <message>
        <source>Every confirmation will be asked again.</source>
        <translation>Все подтверждения будут снова запрашиваться.</translation>
    </message>
    <message>
        <source>The confirmations could not be reset.</source>
        <translation>Не удалось сбросить подтверждения.</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Правка</translation>
    </message>
    <message>
        <source>&amp;Reset Window Layout…</source>
        <translation>&amp;Сбросить расположение окна…</translation>
    </message>
    <message>
        <source>Pick a &amp;Colour…</source>
        <translation>Выбрать &amp;цвет…</translation>
    </message>
    <message>
        <source>&amp;Ask All Confirmations Again</source>
        <translation>Снова &amp;запрашивать все подтверждения</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
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
    <name>Kestrel::KestrelWindowMenu</name>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Окно</translation>
    </message>
    <message>
        <source>&amp;Minimize</source>
        <translation>&amp;Свернуть</translation>
    </message>
    <message>
        <source>&amp;Zoom</source>
        <translation>Изменить &amp;масштаб</translation>
    </message>
    <message>
        <source>&amp;Bring All to Front</source>
        <translation>&amp;Все окна на передний план</translation>
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
    <name>Kestrel::TouchCanvas</name>
    <message>
        <source>Zoom %1%</source>
        <translation>Масштаб %1%</translation>
    </message>
    <message>
        <source>Rotation %1°</source>
        <translation>Поворот %1°</translation>
    </message>
    <message>
        <source>Two-finger taps: %1</source>
        <translation>Касаний двумя пальцами: %1</translation>
    </message>
    <message>
        <source>Press and tap at %1, %2</source>
        <translation>Удержание и касание в точке %1, %2</translation>
    </message>
</context>
<context>
    <name>Kestrel::TouchPage</name>
    <message>
        <source>Pinch to zoom, turn two fingers to rotate, tap with two fingers, or hold one finger and tap with another. Drag the list and the text with one finger.</source>
        <translation>Сведите или разведите пальцы для масштаба, поверните двумя пальцами, коснитесь двумя пальцами или удерживайте один палец и коснитесь другим. Список и текст прокручиваются одним пальцем.</translation>
    </message>
    <message>
        <source>Entry %1</source>
        <translation>Запись %1</translation>
    </message>
    <message>
        <source>Line %1 of the sample text.</source>
        <translation>Строка %1 образца текста.</translation>
    </message>
    <message>
        <source>Touch</source>
        <translation>Сенсор</translation>
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
