<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>PlanDialog</name>
    <message>
        <source>一致</source>
        <translation>ok</translation>
    </message>
    <message>
        <source>需修改</source>
        <translation>to change</translation>
    </message>
    <message>
        <source>未找到</source>
        <translation>missing</translation>
    </message>
    <message>
        <source>MAC 重复</source>
        <translation>MAC clone</translation>
    </message>
    <message>
        <source>计划外</source>
        <translation>not planned</translation>
    </message>
    <message>
        <source>问题</source>
        <translation>problem</translation>
    </message>
    <message>
        <source>编号</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Mask</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>服务器</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>按计划配置</source>
        <translation>Apply a plan</translation>
    </message>
    <message>
        <source>正在扫描…</source>
        <translation>Scanning…</translation>
    </message>
    <message>
        <source>第 %1 轮：正在扫描核对…</source>
        <translation>Round %1: scanning to verify…</translation>
    </message>
    <message>
        <source>第 %1 轮：已发送 %2 / %3</source>
        <translation>Round %1: sent %2 / %3</translation>
    </message>
    <message>
        <source>发往 %1 的命令未能发送：%2</source>
        <translation>A command to %1 could not be sent: %2</translation>
    </message>
    <message>
        <source>计划文件：</source>
        <translation>Plan file:</translation>
    </message>
    <message>
        <source>选择计划文件…</source>
        <translation>Choose a plan file…</translation>
    </message>
    <message>
        <source>使用数据库窗口的文件</source>
        <translation>Use the database window's file</translation>
    </message>
    <message>
        <source>扫描并比较</source>
        <translation>Scan and compare</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存报告…</source>
        <translation>Save report…</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>变更（现在 → 计划）</source>
        <translation>Changes (now → planned)</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>数据库文件：</source>
        <translation>Database file:</translation>
    </message>
    <message>
        <source>没有打开的数据库窗口</source>
        <translation>No database window is open</translation>
    </message>
    <message>
        <source>选择计划文件</source>
        <translation>Choose a plan file</translation>
    </message>
    <message>
        <source>计划 (*.csv *.json);;所有文件 (*)</source>
        <translation>Plans (*.csv *.json);;All files (*)</translation>
    </message>
    <message>
        <source>保存报告</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv);;JSON 文件 (*.json)</source>
        <translation>CSV files (*.csv);;JSON files (*.json)</translation>
    </message>
    <message>
        <source>请先选择计划文件</source>
        <translation>Choose a plan file first</translation>
    </message>
    <message>
        <source>计划无法读取：%1</source>
        <translation>Cannot read the plan: %1</translation>
    </message>
    <message>
        <source>计划有问题，不会发送任何命令。请先修改计划。</source>
        <translation>The plan has problems; nothing will be sent. Correct the plan first.</translation>
    </message>
    <message>
        <source>将按计划修改 %1 台终端的设置，确认应用？</source>
        <translation>The settings of %1 terminals will be changed to the plan. Apply?</translation>
    </message>
    <message>
        <source>正在停止：当前终端的命令发完后停止</source>
        <translation>Stopping once the current terminal's commands are sent</translation>
    </message>
    <message>
        <source>报告无法保存：%1</source>
        <translation>Cannot save the report: %1</translation>
    </message>
    <message>
        <source>报告已保存：%1</source>
        <translation>Report saved: %1</translation>
    </message>
    <message>
        <source>已确认</source>
        <translation>confirmed</translation>
    </message>
    <message>
        <source>未确认</source>
        <translation>not confirmed</translation>
    </message>
    <message>
        <source>跳过</source>
        <translation>skipped</translation>
    </message>
    <message>
        <source>%1：已确认 %2，未确认 %3，跳过 %4；%5 个数据包，%6 轮，%7 次扫描</source>
        <translation>%1: %2 confirmed, %3 not confirmed, %4 skipped; %5 datagrams, %6 round(s), %7 scan(s)</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>计划 %1 台，回复 %2 个：%3</source>
        <translation>%1 planned, %2 replies: %3</translation>
    </message>
    <message>
        <source>；计划有问题，不能应用</source>
        <translation>; the plan has problems and cannot be applied</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>ReconcileDialog</name>
    <message>
        <source>编号</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>与在线终端核对</source>
        <translation>Check against live terminals</translation>
    </message>
    <message>
        <source>数据库编号</source>
        <translation>DB ID</translation>
    </message>
    <message>
        <source>数据库IP</source>
        <translation>DB IP</translation>
    </message>
    <message>
        <source>数据库MAC</source>
        <translation>DB MAC</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>在线编号</source>
        <translation>Live ID</translation>
    </message>
    <message>
        <source>在线IP</source>
        <translation>Live IP</translation>
    </message>
    <message>
        <source>在线MAC</source>
        <translation>Live MAC</translation>
    </message>
    <message>
        <source>不一致</source>
        <translation>Differs in</translation>
    </message>
    <message>
        <source>数据库中有、未应答的终端：%1</source>
        <translation>In the database, did not answer: %1</translation>
    </message>
    <message>
        <source>已应答、数据库中没有的终端：%1</source>
        <translation>Answered, not in the database: %1</translation>
    </message>
    <message>
        <source>编号、IP 或 MAC 不一致：%1</source>
        <translation>ID, IP or MAC differ: %1</translation>
    </message>
    <message>
        <source>数据库 %1 行，在线终端 %2 台</source>
        <translation>%1 database rows, %2 live terminals</translation>
    </message>
    <message>
        <source>数据库无法读取：</source>
        <translation>Cannot read the database: </translation>
    </message>
</context>
<context>
    <name>RenumberPreview</name>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>没有需要发送的数据包。</source>
        <translation>No packet to send.</translation>
    </message>
    <message>
        <source>将发送 %1 个数据包：</source>
        <translation>Packets to send: %1</translation>
    </message>
    <message>
        <source>行</source>
        <translation>Row</translation>
    </message>
    <message>
        <source>原编号</source>
        <translation>Old ID</translation>
    </message>
    <message>
        <source>新编号</source>
        <translation>New ID</translation>
    </message>
    <message>
        <source>目的地址</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>原MAC</source>
        <translation>Old MAC</translation>
    </message>
    <message>
        <source>新MAC</source>
        <translation>New MAC</translation>
    </message>
</context>
<context>
    <name>Serverdb</name>
    <message>
        <source>数据库终端列表(蓝色背景为重复项)</source>
        <translation>Terminals in the database (blue background: duplicates)</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Vol</source>
        <translation>Vol</translation>
    </message>
    <message>
        <source>M</source>
        <translation>M</translation>
    </message>
    <message>
        <source>IEnable</source>
        <translation>IEnable</translation>
    </message>
    <message>
        <source>RBEnable</source>
        <translation>RBEnable</translation>
    </message>
    <message>
        <source>RMEnable</source>
        <translation>RMEnable</translation>
    </message>
    <message>
        <source>OBEnable </source>
        <translation>OBEnable </translation>
    </message>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>文件路径：</source>
        <translation>File path:</translation>
    </message>
    <message>
        <source>列表数量：</source>
        <translation>Rows:</translation>
    </message>
    <message>
        <source>操作设置：</source>
        <translation>Operations:</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>确认操作</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>数据库备份</source>
        <translation>Back up</translation>
    </message>
    <message>
        <source>删除选中</source>
        <translation>Delete selected</translation>
    </message>
    <message>
        <source>数据库转换</source>
        <translation>Convert</translation>
    </message>
    <message>
        <source>与在线终端核对</source>
        <translation>Check against live terminals</translation>
    </message>
    <message>
        <source>网络模式：</source>
        <translation>Network mode:</translation>
    </message>
    <message>
        <source>绑定地址：</source>
        <translation>Bound address:</translation>
    </message>
    <message>
        <source>版本：</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>数据库转换完成,当前目录下数据库名称为:Velmora_new.db</source>
        <translation>Conversion done; the converted database in the working folder is Velmora_new.db</translation>
    </message>
    <message>
        <source>当前数据库版本已经是最新的不需要转换</source>
        <translation>The database is already in the new format; nothing to convert</translation>
    </message>
    <message>
        <source>数据库无法读取，未转换:</source>
        <translation>Cannot read the database, not converted: </translation>
    </message>
    <message>
        <source>数据库不能是Velmora_new.db或LS_New.db本身，未转换</source>
        <translation>The database cannot be Velmora_new.db or LS_New.db itself; not converted</translation>
    </message>
    <message>
        <source>数据库备份失败，未转换:</source>
        <translation>Backup failed, not converted: </translation>
    </message>
    <message>
        <source>无法用LS_New.db重建Velmora_new.db，未转换:</source>
        <translation>Cannot make Velmora_new.db from LS_New.db, not converted: </translation>
    </message>
    <message>
        <source>数据库转换失败，未生成Velmora_new.db:</source>
        <translation>Conversion failed, Velmora_new.db not made: </translation>
    </message>
    <message>
        <source>请勾选确认操作</source>
        <translation>Please tick Confirm first</translation>
    </message>
    <message>
        <source>数据库备份完成:</source>
        <translation>Backup done: </translation>
    </message>
    <message>
        <source>数据库备份失败:</source>
        <translation>Backup failed: </translation>
    </message>
    <message>
        <source>删除失败:</source>
        <translation>Delete failed: </translation>
    </message>
    <message>
        <source>请将423以下版本数据库复制到当前目录下，数据库名称必须为:Velmora.db</source>
        <translation>Copy the database of software below V423 into the working folder; its name must be Velmora.db</translation>
    </message>
    <message>
        <source>参考数据库不存在，请将423以上版本空白数据库复制到当前目录下，数据库名称必须为:LS_New.db</source>
        <translation>The reference database is missing: copy a blank database of software V423 or later into the working folder; its name must be LS_New.db</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>
%1表有%2行未复制</source>
        <translation>
%2 rows of table %1 were not copied</translation>
    </message>
    <message>
        <source>数据库正被服务器占用(已锁定)，未能读取，请稍后刷新: %1</source>
        <translation>The server holds the database (locked); not read, refresh later: %1</translation>
    </message>
    <message>
        <source>不是数据库文件，未能读取: %1</source>
        <translation>Not a database file, not read: %1</translation>
    </message>
    <message>
        <source>数据库无法读取: </source>
        <translation>Cannot read the database: </translation>
    </message>
    <message>
        <source>该行不是从数据库读出的</source>
        <translation>This row was not read from the database</translation>
    </message>
    <message>
        <source>数据库正被服务器占用(已锁定)，请稍后再试</source>
        <translation>The server holds the database (locked); try again later</translation>
    </message>
    <message>
        <source>文件不存在: </source>
        <translation>No such file: </translation>
    </message>
    <message>
        <source>数据库中已没有该行</source>
        <translation>The row is no longer in the database</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>正在读取终端列表…</source>
        <translation>Reading the terminal list…</translation>
    </message>
    <message>
        <source>正在读取服务器设置…</source>
        <translation>Reading the server's settings…</translation>
    </message>
    <message>
        <source>正在备份数据库…</source>
        <translation>Backing the database up…</translation>
    </message>
    <message>
        <source>正在删除…</source>
        <translation>Deleting…</translation>
    </message>
    <message>
        <source>正在转换数据库…</source>
        <translation>Converting the database…</translation>
    </message>
    <message>
        <source>数据库正被服务器占用(已锁定)，正在等待服务器释放… (%1/%2 秒)</source>
        <translation>The server holds the database locked; waiting for it to let go… (%1/%2 s)</translation>
    </message>
    <message>
        <source>服务器已释放数据库，正在读取…</source>
        <translation>The server has let go of the database; reading…</translation>
    </message>
    <message>
        <source>操作已取消</source>
        <translation>Cancelled</translation>
    </message>
</context>
<context>
    <name>ToolForKX</name>
    <message>
        <source>QuenzalV7.6</source>
        <translation>QuenzalV7.6</translation>
    </message>
    <message>
        <source>终端IP列表</source>
        <translation>Terminal list</translation>
    </message>
    <message>
        <source>筛选：编号 / IP / MAC</source>
        <translation>Filter: ID / IP / MAC</translation>
    </message>
    <message>
        <source>编号</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>本地地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Mask</translation>
    </message>
    <message>
        <source>本地网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>MAC地址</source>
        <translation>MAC address</translation>
    </message>
    <message>
        <source>服务器地址</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>链接</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>音量</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>网络</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>固件</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>型号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>功放</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>主机1</source>
        <translation>Host 1</translation>
    </message>
    <message>
        <source>主机2</source>
        <translation>Host 2</translation>
    </message>
    <message>
        <source>主机3</source>
        <translation>Host 3</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>增益</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>延迟</source>
        <translation>Delay</translation>
    </message>
    <message>
        <source>LAN频率</source>
        <translation>LAN rate</translation>
    </message>
    <message>
        <source>WAN频率</source>
        <translation>WAN rate</translation>
    </message>
    <message>
        <source>自动接听</source>
        <translation>Auto answer</translation>
    </message>
    <message>
        <source>采集地址</source>
        <translation>Capture address</translation>
    </message>
    <message>
        <source>外部音频</source>
        <translation>Ext. audio</translation>
    </message>
    <message>
        <source>话筒模式</source>
        <translation>Mic mode</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>第二服务器</source>
        <translation>Second server</translation>
    </message>
    <message>
        <source>字库</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>引导</source>
        <translation>Boot</translation>
    </message>
    <message>
        <source>响铃开关</source>
        <translation>Ring</translation>
    </message>
    <message>
        <source>最大音量</source>
        <translation>Max volume</translation>
    </message>
    <message>
        <source>终端信息</source>
        <translation>Terminal</translation>
    </message>
    <message>
        <source>终端参数修改</source>
        <translation>Terminal settings</translation>
    </message>
    <message>
        <source>当前编号</source>
        <translation>Current ID</translation>
    </message>
    <message>
        <source>重启</source>
        <translation>Reboot</translation>
    </message>
    <message>
        <source>发送后确认</source>
        <translation>Verify after send</translation>
    </message>
    <message>
        <source>修改编号为</source>
        <translation>New ID</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>DHCP状态</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>DHCP关闭</source>
        <translation>DHCP off</translation>
    </message>
    <message>
        <source>DHCP打开</source>
        <translation>DHCP on</translation>
    </message>
    <message>
        <source>产品型号</source>
        <translation>Model text</translation>
    </message>
    <message>
        <source>网络方式</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>局域网-LAN</source>
        <translation>LAN</translation>
    </message>
    <message>
        <source>广域网-WAN</source>
        <translation>WAN</translation>
    </message>
    <message>
        <source>产品类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>177</source>
        <translation>177</translation>
    </message>
    <message>
        <source>178</source>
        <translation>178</translation>
    </message>
    <message>
        <source>161</source>
        <translation>161</translation>
    </message>
    <message>
        <source>162</source>
        <translation>162</translation>
    </message>
    <message>
        <source>163</source>
        <translation>163</translation>
    </message>
    <message>
        <source>164</source>
        <translation>164</translation>
    </message>
    <message>
        <source>165</source>
        <translation>165</translation>
    </message>
    <message>
        <source>166</source>
        <translation>166</translation>
    </message>
    <message>
        <source>167</source>
        <translation>167</translation>
    </message>
    <message>
        <source>168</source>
        <translation>168</translation>
    </message>
    <message>
        <source>MIC增益</source>
        <translation>Mic gain</translation>
    </message>
    <message>
        <source>30</source>
        <translation>30</translation>
    </message>
    <message>
        <source>终端IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>192</source>
        <translation>192</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>107</source>
        <translation>107</translation>
    </message>
    <message>
        <source>终端网关 </source>
        <translation>Gateway </translation>
    </message>
    <message>
        <source>255</source>
        <translation>255</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>116</source>
        <translation>116</translation>
    </message>
    <message>
        <source>终端MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>1C</source>
        <translation>1C</translation>
    </message>
    <message>
        <source>B2</source>
        <translation>B2</translation>
    </message>
    <message>
        <source>3C</source>
        <translation>3C</translation>
    </message>
    <message>
        <source>47</source>
        <translation>47</translation>
    </message>
    <message>
        <source>5D</source>
        <translation>5D</translation>
    </message>
    <message>
        <source>01</source>
        <translation>01</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>指定终端设置</source>
        <translation>Selected terminal</translation>
    </message>
    <message>
        <source>一键主机</source>
        <translation>Hosts</translation>
    </message>
    <message>
        <source>接听设置</source>
        <translation>Answer</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>手动</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>功放设置</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>静音-OFF</source>
        <translation>Mute-OFF</translation>
    </message>
    <message>
        <source>常开-ON</source>
        <translation>Always-ON</translation>
    </message>
    <message>
        <source>关-0</source>
        <translation>Off-0</translation>
    </message>
    <message>
        <source>LINEIN-1</source>
        <translation>LINEIN-1</translation>
    </message>
    <message>
        <source>MIC-2</source>
        <translation>MIC-2</translation>
    </message>
    <message>
        <source>在线-1</source>
        <translation>Online-1</translation>
    </message>
    <message>
        <source>离线-0</source>
        <translation>Offline-0</translation>
    </message>
    <message>
        <source>恢复出厂</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>备用服务</source>
        <translation>Standby</translation>
    </message>
    <message>
        <source>离线组名</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>更新字库</source>
        <translation>Update font</translation>
    </message>
    <message>
        <source>校正屏幕</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>全区修改</source>
        <translation>All terminals</translation>
    </message>
    <message>
        <source>全区功能设置</source>
        <translation>All-terminal settings</translation>
    </message>
    <message>
        <source>设备指令</source>
        <translation>Device command</translation>
    </message>
    <message>
        <source>继电器延时</source>
        <translation>Relay delay</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>广域网频率</source>
        <translation>WAN rate</translation>
    </message>
    <message>
        <source>8000</source>
        <translation>8000</translation>
    </message>
    <message>
        <source>局域网频率</source>
        <translation>LAN rate</translation>
    </message>
    <message>
        <source>44100</source>
        <translation>44100</translation>
    </message>
    <message>
        <source>服务器设置</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>DHCP设置</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>网络设置</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>重启设置</source>
        <translation>Reboot</translation>
    </message>
    <message>
        <source>全部重启</source>
        <translation>Reboot all</translation>
    </message>
    <message>
        <source>扩展功能设置</source>
        <translation>Extended settings</translation>
    </message>
    <message>
        <source>238</source>
        <translation>238</translation>
    </message>
    <message>
        <source>2</source>
        <translation>2</translation>
    </message>
    <message>
        <source>音量保护</source>
        <translation>Volume limit</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>接听响铃</source>
        <translation>Answer ring</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>全区终端设置</source>
        <translation>All-terminal volume</translation>
    </message>
    <message>
        <source>音量设置</source>
        <translation>Set volume</translation>
    </message>
    <message>
        <source>时间同步</source>
        <translation>Sync time</translation>
    </message>
    <message>
        <source>扩展功能</source>
        <translation>Extended</translation>
    </message>
    <message>
        <source>指令文本</source>
        <translation>Command text</translation>
    </message>
    <message>
        <source>寻呼测试</source>
        <translation>Paging test</translation>
    </message>
    <message>
        <source>主叫终端</source>
        <translation>Caller</translation>
    </message>
    <message>
        <source>单播</source>
        <translation>Unicast</translation>
    </message>
    <message>
        <source>全播</source>
        <translation>All call</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>被叫/组</source>
        <translation>Callee/group</translation>
    </message>
    <message>
        <source>组播</source>
        <translation>Group call</translation>
    </message>
    <message>
        <source>对讲</source>
        <translation>Intercom</translation>
    </message>
    <message>
        <source>文件检测</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>数据库检测</source>
        <translation>Database</translation>
    </message>
    <message>
        <source>出厂设置</source>
        <translation>Factory settings</translation>
    </message>
    <message>
        <source>先预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>自动修改相同MAC</source>
        <translation>Fix shared MACs</translation>
    </message>
    <message>
        <source>起始编号：</source>
        <translation>First ID:</translation>
    </message>
    <message>
        <source>自动排序并修改相同ID</source>
        <translation>Fix shared IDs</translation>
    </message>
    <message>
        <source>设备扫描</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>本机服务地址：</source>
        <translation>Local IP:</translation>
    </message>
    <message>
        <source>网络接口：</source>
        <translation>Interface:</translation>
    </message>
    <message>
        <source>扫描模式选择：</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>子网</source>
        <translation>LAN</translation>
    </message>
    <message>
        <source>跨网</source>
        <translation>WAN</translation>
    </message>
    <message>
        <source>扫描起始地址：</source>
        <translation>From:</translation>
    </message>
    <message>
        <source>扫描结束地址：</source>
        <translation>To:</translation>
    </message>
    <message>
        <source>扫描终端数量：</source>
        <translation>Found:</translation>
    </message>
    <message>
        <source>扫描设备</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>停止扫描</source>
        <translation>Stop scan</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>导出终端列表…</source>
        <translation>Export terminal list…</translation>
    </message>
    <message>
        <source>扫描已停止：%1 台终端，编号重复 %2，IP 重复 %3，MAC 重复 %4</source>
        <translation>Scan stopped: %1 terminals, shared ID %2, shared IP %3, shared MAC %4</translation>
    </message>
    <message>
        <source>扫描结束：%1 台终端，编号重复 %2，IP 重复 %3，MAC 重复 %4</source>
        <translation>Scan finished: %1 terminals, shared ID %2, shared IP %3, shared MAC %4</translation>
    </message>
    <message>
        <source>负载过高：已丢弃 %1 个终端回复</source>
        <translation>Overload: %1 terminal replies dropped</translation>
    </message>
    <message>
        <source>接收线程已停止（%1），改由主线程接收</source>
        <translation>The receive thread stopped (%1); replies are now read on the main thread</translation>
    </message>
    <message>
        <source>无法绑定端口 %1：%2</source>
        <translation>Cannot bind port %1: %2</translation>
    </message>
    <message>
        <source>无法加入组播组 %1：%2</source>
        <translation>Cannot join multicast group %1: %2</translation>
    </message>
    <message>
        <source>无法在 %1 上加入组播组 %2：%3</source>
        <translation>Cannot join multicast group %2 on %1: %3</translation>
    </message>
    <message>
        <source>接口不存在</source>
        <translation>no such interface</translation>
    </message>
    <message>
        <source>组播经由 %1（%2）</source>
        <translation>Multicast through %1 (%2)</translation>
    </message>
    <message>
        <source>跨网模式：未选择终端，命令未发送。请先在列表中点选终端。</source>
        <translation>WAN mode: no terminal selected, the command was not sent. Select a terminal in the list first.</translation>
    </message>
    <message>
        <source>跨网扫描开始：%1 个地址</source>
        <translation>WAN scan started: %1 addresses</translation>
    </message>
    <message>
        <source>子网扫描：已发送查询</source>
        <translation>LAN scan: query sent</translation>
    </message>
    <message>
        <source>跨网扫描：%1 / %2（%3），已收到 %4 个回复</source>
        <translation>WAN scan: %1 / %2 (%3), %4 replies</translation>
    </message>
    <message>
        <source>扫描已停止：已查询 %1 / %2 个地址</source>
        <translation>Scan stopped: %1 / %2 addresses queried</translation>
    </message>
    <message>
        <source>已确认：终端显示 %1</source>
        <translation>Verified: the terminal shows %1</translation>
    </message>
    <message>
        <source>CSV 表格 (*.csv)</source>
        <translation>CSV spreadsheet (*.csv)</translation>
    </message>
    <message>
        <source>JSON (*.json)</source>
        <translation>JSON (*.json)</translation>
    </message>
    <message>
        <source>导出终端列表</source>
        <translation>Export terminal list</translation>
    </message>
    <message>
        <source>已导出 %1 台终端到 %2</source>
        <translation>Exported %1 terminals to %2</translation>
    </message>
    <message>
        <source>导出失败：%1</source>
        <translation>Export failed: %1</translation>
    </message>
    <message>
        <source>已复制 %1 行</source>
        <translation>Copied %1 rows</translation>
    </message>
    <message>
        <source>请确认！</source>
        <translation>Please confirm!</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>请确认修改！并且不要设置与列表其他设备相同的MAC地址！</source>
        <translation>Please confirm the change! And do not give it a MAC that another terminal in the list has!</translation>
    </message>
    <message>
        <source>正在确认：期望 %1</source>
        <translation>Verifying: expecting %1</translation>
    </message>
    <message>
        <source>未确认：3 秒内终端没有回复（期望 %1）</source>
        <translation>Not verified: no reply from the terminal within 3 s (expected %1)</translation>
    </message>
    <message>
        <source>未确认：期望 %1，终端显示 %2</source>
        <translation>Not verified: expected %1, the terminal shows %2</translation>
    </message>
    <message>
        <source>端口 %1 已被其他程序占用（可能是另一个本工具），部分回复可能被它收走</source>
        <translation>Port %1 is also bound by another program (another copy of this tool?); it may take some replies</translation>
    </message>
    <message>
        <source>系统选择</source>
        <translation>System's choice</translation>
    </message>
    <message>
        <source>组播经由系统选择的接口</source>
        <translation>Multicast by the system's choice of interface</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>系统选择的接口（无路由）</source>
        <translation>the system's choice of interface (no route)</translation>
    </message>
    <message>
        <source>系统选择的接口 %1（%2）</source>
        <translation>the system's choice of interface, %1 (%2)</translation>
    </message>
    <message>
        <source>负载过高：已丢弃 %1 个终端回复（系统接收缓冲区 %2 个，接收队列 %3 个）</source>
        <translation>Overload: %1 terminal replies dropped (%2 by the system's receive buffer, %3 by the receive queue)</translation>
    </message>
    <message>
        <source>发送失败：发往 %1:%2 的数据包未能发出（%3）</source>
        <translation>Send failed: the packet to %1:%2 did not leave (%3)</translation>
    </message>
    <message>
        <source>；查询经由 %1</source>
        <translation>; the query left by %1</translation>
    </message>
    <message>
        <source>自动编号：%1 个数据包未能发送（%2），这些终端的编号未改</source>
        <translation>Automatic IDs: %1 packets could not be sent (%2); those terminals keep their IDs</translation>
    </message>
    <message>
        <source>MAC 修复：%1 个数据包未能发送（%2），这些终端的 MAC 未改</source>
        <translation>MAC repair: %1 packets could not be sent (%2); those terminals keep their MACs</translation>
    </message>
    <message>
        <source>按计划配置…</source>
        <translation>Apply a plan…</translation>
    </message>
    <message>
        <source>MAC 修复</source>
        <translation>MAC repair</translation>
    </message>
    <message>
        <source>自动编号</source>
        <translation>Automatic IDs</translation>
    </message>
    <message>
        <source>%1 正在进行，请等它结束</source>
        <translation>%1 is under way; wait for it to end</translation>
    </message>
    <message>
        <source>%1：正在计算 %2 行…</source>
        <translation>%1: working out %2 rows…</translation>
    </message>
    <message>
        <source>%1：已发送 %2 / %3 个数据包</source>
        <translation>%1: %2 / %3 packets sent</translation>
    </message>
    <message>
        <source>%1：已发送 %2 个数据包；列表已清空，未更新</source>
        <translation>%1: %2 packets sent; the list was emptied and is not updated</translation>
    </message>
    <message>
        <source>%1完成：已发送 %2 个数据包</source>
        <translation>%1 done: %2 packets sent</translation>
    </message>
</context>
</TS>