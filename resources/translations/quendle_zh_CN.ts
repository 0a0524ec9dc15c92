<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DownloadPanel</name>
    <message>
        <source>Downloading Vorlith</source>
        <translation>正在下载 Vorlith</translation>
    </message>
</context>
<context>
    <name>ExtractingProgressWindow</name>
    <message>
        <source>Expanding</source>
        <translation>正在解压</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Stop expanding (Esc)</source>
        <translation>停止解压 (Esc)</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quendle</source>
        <translation>Quendle</translation>
    </message>
    <message>
        <source>Open an archive with Quendle, or choose File ▸ Open…, and it is expanded.</source>
        <translation>用 Quendle 打开压缩包，或选择“文件 ▸ 打开…”，即可解压。</translation>
    </message>
    <message>
        <source>When expanding an archive</source>
        <translation>解压压缩包时</translation>
    </message>
    <message>
        <source>Expand into the folder on the right instead of beside the archive</source>
        <translation>解压到右侧的文件夹，而不是压缩包所在位置</translation>
    </message>
    <message>
        <source>&amp;Expand into this folder:</source>
        <translation>解压到此文件夹(&amp;E)：</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>双击以选择其他文件夹</translation>
    </message>
    <message>
        <source>&amp;Show the expanded item in the file manager</source>
        <translation>在文件管理器中显示解压的项目(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;After expanding:</source>
        <translation>解压后(&amp;A)：</translation>
    </message>
    <message>
        <source>Do nothing</source>
        <translation>不执行任何操作</translation>
    </message>
    <message>
        <source>Move the expanded item to the Trash</source>
        <translation>将解压的项目移到回收站</translation>
    </message>
    <message>
        <source>Quendle on the web</source>
        <translation>Quendle 网站</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>主页(&amp;H)</translation>
    </message>
    <message>
        <source>Support &amp;Tickets</source>
        <translation>支持工单(&amp;T)</translation>
    </message>
    <message>
        <source>Download Vorlith, our companion archiver</source>
        <translation>下载 Vorlith——我们的配套压缩工具</translation>
    </message>
    <message>
        <source>&amp;Download Vorlith…</source>
        <translation>下载 Vorlith(&amp;D)…</translation>
    </message>
    <message>
        <source>Drop an archive on Quendle to expand it.</source>
        <translation>将压缩包拖放到 Quendle 上即可解压。</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>打开(&amp;O)…</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>退出(&amp;Q)</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
</context>
<context>
    <name>PasswordWindow</name>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>Type in password</source>
        <translation>输入密码</translation>
    </message>
    <message>
        <source>The password of the archive</source>
        <translation>压缩包的密码</translation>
    </message>
    <message>
        <source>Wrong password. Please try again.</source>
        <translation>密码错误，请重试。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Expands an archive beside it (or in the folder chosen in its window).</source>
        <translation>将压缩包解压到其所在位置（或窗口中选定的文件夹）。</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>压缩包</translation>
    </message>
    <message>
        <source>The archive to expand; of several, the first is taken.</source>
        <translation>要解压的压缩包；如有多个，只取第一个。</translation>
    </message>
    <message>
        <source>[archive...]</source>
        <translation>[压缩包…]</translation>
    </message>
    <message>
        <source>Try &apos;quendle --help&apos; for more information.</source>
        <translation>运行“quendle --help”以获取更多信息。</translation>
    </message>
    <message>
        <source>cannot open &quot;%1&quot;: no such file or folder</source>
        <translation>无法打开“%1”：没有那个文件或文件夹</translation>
    </message>
    <message>
        <source>one archive at a time: only &quot;%1&quot; is expanded</source>
        <translation>一次只解压一个归档：只解压“%1”</translation>
    </message>
    <message>
        <source>Expand into &lt;folder&gt; this time, whatever the preferences say (they stay as they are).</source>
        <translation>本次解压到 &lt;文件夹&gt;，不论偏好设置如何（偏好设置保持不变）。</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>文件夹</translation>
    </message>
</context>
<context>
    <name>quendle::Buttons</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
</context>
<context>
    <name>quendle::CompanionDownload</name>
    <message>
        <source>Connecting to server</source>
        <translation>正在连接服务器</translation>
    </message>
    <message>
        <source>Connected to server</source>
        <translation>已连接到服务器</translation>
    </message>
    <message>
        <source>Receiving data</source>
        <translation>正在接收数据</translation>
    </message>
    <message>
        <source>Update Downloaded</source>
        <translation>更新已下载</translation>
    </message>
    <message>
        <source>Vorlith app will be found on the newly opened disk image.</source>
        <translation>Vorlith 应用位于刚刚打开的磁盘映像中。</translation>
    </message>
    <message>
        <source>Unable to Download</source>
        <translation>无法下载</translation>
    </message>
    <message>
        <source>Quendle was not able to download Vorlith app from the server.</source>
        <translation>Quendle 无法从服务器下载 Vorlith 应用。</translation>
    </message>
    <message>
        <source>Vorlith app was downloaded to &quot;%1&quot;, but the disk image could not be opened here.</source>
        <translation>Vorlith 应用已下载到“%1”，但无法在此打开该磁盘映像。</translation>
    </message>
</context>
<context>
    <name>quendle::DesktopSeam</name>
    <message>
        <source>Archives (%1)</source>
        <translation>压缩包 (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>Answer [1-%1]: </source>
        <translation>回答 [1-%1]：</translation>
    </message>
    <message>
        <source>(no display and no terminal: answered &quot;%1&quot;)</source>
        <translation>（无显示器也无终端：已回答“%1”）</translation>
    </message>
</context>
<context>
    <name>quendle::ExpansionController</name>
    <message>
        <source>The archiver exited with status %1.</source>
        <translation>压缩程序已退出，状态码为 %1。</translation>
    </message>
    <message>
        <source>Cannot Expand Archive.</source>
        <translation>无法解压压缩包。</translation>
    </message>
    <message>
        <source>Type in password for %1</source>
        <translation>输入“%1”的密码</translation>
    </message>
    <message>
        <source>Extracting %1</source>
        <translation>正在解压“%1”</translation>
    </message>
    <message>
        <source>Quendle.</source>
        <translation>Quendle。</translation>
    </message>
    <message>
        <source>Quendle extracts some archive. Please, wait for end of the operation and try again.</source>
        <translation>Quendle 正在解压一个压缩包。请等待操作完成后重试。</translation>
    </message>
    <message>
        <source>An item named &quot;%1&quot; already exists.</source>
        <translation>名为“%1”的项目已存在。</translation>
    </message>
    <message>
        <source>Do you want to replace it with the one you’re extracting?</source>
        <translation>要用正在解压的项目替换它吗？</translation>
    </message>
    <message>
        <source>Cannot Start the Archiver.</source>
        <translation>无法启动压缩程序。</translation>
    </message>
    <message>
        <source>What was expanded at &quot;%1&quot; is incomplete.</source>
        <translation>“%1”中已解压的内容不完整。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an archive.</source>
        <translation>“%1”是文件夹，不是归档。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty.</source>
        <translation>“%1”是空的。</translation>
    </message>
    <message>
        <source>The archive holds no files or folders, so there is nothing to expand.</source>
        <translation>该归档不包含任何文件或文件夹，没有可解压的内容。</translation>
    </message>
    <message>
        <source>It holds the archive being expanded.</source>
        <translation>其中包含正在解压的归档。</translation>
    </message>
    <message>
        <source>Nothing was extracted, and nothing of yours was changed.</source>
        <translation>没有解压任何内容，您的文件均未更改。</translation>
    </message>
    <message>
        <source>Nothing was extracted. &quot;%1&quot; is in the Trash, where you can put it back from.</source>
        <translation>没有解压任何内容。“%1”在回收站中，您可以从那里还原。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be moved to the Trash.</source>
        <translation>无法将“%1”移到回收站。</translation>
    </message>
</context>
<context>
    <name>quendle::ExtractingProgressWindow</name>
    <message>
        <source>Expansion progress</source>
        <translation>解压进度</translation>
    </message>
    <message>
        <source>Items of the archive that have appeared on disk</source>
        <translation>已写入磁盘的压缩包项目</translation>
    </message>
</context>
<context>
    <name>quendle::FileManager</name>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; will be deleted immediately.
Are you sure you want to continue?</source>
        <translation>文件“%1”将被立即删除。
确定要继续吗？</translation>
    </message>
    <message>
        <source>Cannot Trash Source Files.</source>
        <translation>无法将源文件移到回收站。</translation>
    </message>
    <message>
        <source>You are not allowed to move items out of the folder &quot;%1&quot;.</source>
        <translation>您无权从文件夹“%1”中移出项目。</translation>
    </message>
    <message>
        <source>Its disk has no Trash for you, and none can be made in &quot;%1&quot;.</source>
        <translation>其所在磁盘上没有您的回收站，也无法在“%1”中创建。</translation>
    </message>
    <message>
        <source>It was not deleted.</source>
        <translation>它未被删除。</translation>
    </message>
</context>
<context>
    <name>quendle::OpenPanel</name>
    <message>
        <source>Choose a file object</source>
        <translation>选择项目</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>选择</translation>
    </message>
</context>
<context>
    <name>quendle::PathControl</name>
    <message>
        <source>Folder to expand into</source>
        <translation>解压目标文件夹</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>双击以选择其他文件夹</translation>
    </message>
    <message>
        <source>%1. Press Space to choose another folder.</source>
        <translation>%1。按空格键可选择其他文件夹。</translation>
    </message>
</context>
</TS>
